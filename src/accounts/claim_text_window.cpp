#include "accounts/claim_text_window.h"

#include "accounts/debt_papers.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace claims {

QString readTemplate(const SettingsStore& settings)
{
    const QString text = settings.value(settings::Main, TemplateKey);
    return text.trimmed().isEmpty() ? QString::fromUtf8(documents::DefaultClaimTemplate) : text;
}

} // namespace claims

frmClaimText::frmClaimText(AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmClaimText"));
    setWindowTitle(state.windowTitle(QStringLiteral("Текст претензии")));
    setWindowModality(Qt::WindowModal);

    auto* caption
        = new QLabel(QStringLiteral("Текст претензии должнику. Поля заменяются сведениями о должнике; "
                                    "кнопка ставит поле туда, где стоит курсор:"),
            this);
    caption->setWordWrap(true);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtClaim"));
    m_text->setPlainText(claims::readTemplate(state.services.settings));
    m_text->setTabChangesFocus(true);

    auto* fieldRow = new QHBoxLayout;
    int n = 0;
    for (std::string_view field : documents::ClaimFields) {
        const QString text = QString::fromUtf8(field.data(), qsizetype(field.size()));
        auto* button = new QPushButton(text, this);
        button->setObjectName(QStringLiteral("CmdField_%1").arg(n++));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, text] {
            m_text->insertPlainText(text);
            m_text->setFocus();
        });
        fieldRow->addWidget(button);
    }
    fieldRow->addStretch(1);

    m_warning = new QLabel(this);
    m_warning->setObjectName(QStringLiteral("lblUnknown"));
    m_warning->setWordWrap(true);
    QPalette red = m_warning->palette();
    red.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    m_warning->setPalette(red);
    connect(m_text, &QPlainTextEdit::textChanged, this, &frmClaimText::showUnknownFields);

    auto* byDefault = new QPushButton(QStringLiteral("Текст по умолчанию"), this);
    byDefault->setObjectName(QStringLiteral("CmdDefault"));
    byDefault->setAutoDefault(false);
    auto* save = new QPushButton(QStringLiteral("Сохранить"), this);
    save->setObjectName(QStringLiteral("CmdSave"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    cancel->setAutoDefault(false);
    connect(byDefault, &QPushButton::clicked, this, &frmClaimText::CmdDefault_Click);
    connect(save, &QPushButton::clicked, this, &frmClaimText::CmdSave_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(byDefault);
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addLayout(fieldRow);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_warning);
    layout->addLayout(buttons);
    resize(760, 520);
    showUnknownFields();
}

void frmClaimText::showUnknownFields()
{
    const std::vector<std::string> unknown = documents::unknownFields(m_text->toPlainText().toStdString());
    QStringList names;
    for (const std::string& field : unknown)
        names << QString::fromStdString(field);
    m_warning->setText(names.isEmpty()
            ? QString()
            : (names.size() == 1 ? QStringLiteral("Неизвестное поле будет напечатано "
                                                  "как есть: ")
                                 : QStringLiteral("Неизвестные поля будут напечатаны "
                                                  "как есть: "))
                + names.join(QStringLiteral(", ")));
    m_warning->setVisible(!names.isEmpty());
}

void frmClaimText::CmdDefault_Click()
{
    m_text->setPlainText(QString::fromUtf8(documents::DefaultClaimTemplate));
}

void frmClaimText::CmdSave_Click()
{
    const QString text = m_text->toPlainText();
    // The program's own text is not stored: a better one in a later version reaches the user.
    const bool own = text == QString::fromUtf8(documents::DefaultClaimTemplate) || text.trimmed().isEmpty();
    m_state.services.settings.setValue(settings::Main, claims::TemplateKey, own ? QString() : text);
    accept();
}
