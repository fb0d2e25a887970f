#include "accounts/keys_help_window.h"

#include <QLabel>
#include <QVBoxLayout>

frmHlp1::frmHlp1(QWidget* ledger) : QDialog(ledger)
{
    setObjectName(QStringLiteral("frmHlp1"));
    setWindowTitle(QStringLiteral("Справка по горячим клавишам"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The ledger takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 16);
    layout->setSpacing(6);
    // As wide as the longest one-line text, so that the first text's second sentence begins a line.
    const int width = fontMetrics().horizontalAdvance(texts()[2]) + 8;
    for (int i = 0; i < texts().size(); ++i) {
        auto* label = new QLabel(texts()[i], this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setFixedWidth(width);
        // "При редактировании:" heads what follows, set a little to the right.
        if (i == 1)
            label->setContentsMargins(width / 4, 4, 0, 0);
        layout->addWidget(label);
    }
}

const QStringList& frmHlp1::texts()
{
    static const QStringList list = {
        QStringLiteral(
            "Для редактирования ячейки кликните по ней мышкой.           Ячейка, если она редактируемая "
            "подсветится желтым цветом. "),
        QStringLiteral("При редактировании:"),
        QStringLiteral("Shift+cтрелка - выделить текст в направлении стрелки от курсора."),
        QStringLiteral("Ctrl + C - копировать выделенный текст  в буфер."),
        QStringLiteral("Ctrl + X - вырезать выделенный текст в буфер."),
        QStringLiteral("Ctrl + V - вcтавить из буфера."),
        QStringLiteral("Ctrl + Z - отмена."),
        QStringLiteral("Эти функции есть и  в контекстном меню, которое можно вызвать кликнув по полю правой "
                       "кнопкой мыши."),
        QStringLiteral("Для сохранения результатов редактирования - нажмите Enter или кликните мышкой по "
                       "другой ячейке."),
        QStringLiteral("Для выхода без сохранения - нажмите клавишу Esc."),
    };
    return list;
}
