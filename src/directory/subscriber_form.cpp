#include "directory/subscriber_form.h"

#include "database/database_file.h"
#include "platform/colours.h"
#include "platform/dialogs.h"
#include "platform/text_input.h"
#include "session/app_state.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString BoxCaptions[directory::EntryFieldCount] = {
    QStringLiteral("Фамилия И. О."),
    QStringLiteral("Адрес"),
    QStringLiteral("Телефон"),
    QStringLiteral("Тип счетчика"),
    QStringLiteral("Примечание"),
};

const QColor FocusedBoxColour = fromWindowsColour(0x00FFFF);

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

SubscriberForm::SubscriberForm(AppState& state, QWidget* opener, CloseGuard& guard, const QString& name,
    const QString& caption, const QString& cmd1Caption)
    : QDialog(opener), m_state(state), m_guard(guard)
{
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    // The directory takes no input while the dialog is open.
    setWindowModality(Qt::WindowModal);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    for (int j = 0; j < directory::EntryFieldCount; ++j) {
        auto* label = new QLabel(BoxCaptions[j], this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(j));
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txt1_%1").arg(j));
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
        acceptOnlyStorableText(box);
        box->installEventFilter(this);
        label->setBuddy(box);
        connect(box, &QLineEdit::textChanged, this, &SubscriberForm::updateCmd1);
        grid->addWidget(label, j, 0);
        grid->addWidget(box, j, 1);
        m_txt[j] = box;
    }
    connect(m_txt[0], &QLineEdit::textChanged, this, [this] { m_warned = false; });
    // Typed or pasted: the name is held to its limit at once, where the operator sees it.
    connect(m_txt[0], &QLineEdit::textEdited, this, &SubscriberForm::capName);
    m_normalPalette = m_txt[0]->palette();

    m_cmd1 = new QPushButton(cmd1Caption, this);
    m_cmd1->setObjectName(QStringLiteral("Cmd1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmd1);
    m_buttons = buttons;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    updateCmd1();
    m_txt[0]->setFocus();
}

directory::Entry SubscriberForm::texts() const
{
    directory::Entry texts;
    for (int j = 0; j < directory::EntryFieldCount; ++j)
        texts[j] = m_txt[j]->text().toStdString();
    return texts;
}

void SubscriberForm::setTexts(const directory::Entry& texts)
{
    for (int j = 0; j < directory::EntryFieldCount; ++j)
        m_txt[j]->setText(fromStd(texts[j]));
}

QLayout* SubscriberForm::buttonRow() const
{
    return m_buttons;
}

void SubscriberForm::focusNameBox()
{
    m_txt[0]->setFocus(Qt::OtherFocusReason);
}

bool SubscriberForm::isNewName(const QString&) const
{
    return true;
}

bool SubscriberForm::capName()
{
    const QString name = m_txt[0]->text();
    if (name.size() <= directory::NameLimit || !isNewName(name))
        return false;
    m_txt[0]->setText(name.left(directory::NameLimit));
    CloseGuard::Asking asking(m_guard);
    m_state.services.dialogs.message(
        { QStringLiteral("Фамилия И. О. длиннее %1 символов: лишнее отброшено.").arg(directory::NameLimit),
            QStringLiteral("Ошибка ввода"), MessageIcon::Exclamation });
    focusNameBox();
    return true;
}

void SubscriberForm::updateCmd1()
{
    m_cmd1->setEnabled(!m_txt[0]->text().trimmed().isEmpty());
}

bool SubscriberForm::eventFilter(QObject* watched, QEvent* event)
{
    int j = 0;
    while (j < directory::EntryFieldCount && watched != m_txt[j])
        ++j;
    if (j == directory::EntryFieldCount)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            break;
        if (j + 1 < directory::EntryFieldCount)
            m_txt[j + 1]->setFocus(Qt::TabFocusReason);
        else if (m_cmd1->isEnabled())
            m_cmd1->setFocus(Qt::TabFocusReason);
        return true; // Enter never presses a button from a box
    }
    case QEvent::FocusIn: {
        QPalette palette = m_normalPalette;
        palette.setColor(QPalette::Base, FocusedBoxColour);
        m_txt[j]->setPalette(palette);
        break;
    }
    case QEvent::FocusOut: {
        m_txt[j]->setPalette(m_normalPalette);
        // Switching to another program or opening a menu is no leaving of the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            boxLeft(j);
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void SubscriberForm::boxLeft(int j)
{
    // Pasted line breaks, and any a field brought along from elsewhere, are not kept.
    const QString text = m_txt[j]->text();
    const QString clean = QString::fromStdString(database::withoutLineBreaks(text.toStdString()));
    if (clean != text)
        m_txt[j]->setText(clean);

    if (j == 0 && !clean.isEmpty() && !m_warned && isNewName(clean)) {
        // The box asks once the focus has settled in its new place, not in the middle of the move.
        QTimer::singleShot(0, this, &SubscriberForm::warnAboutTakenName);
    }
}

void SubscriberForm::warnAboutTakenName()
{
    const QString name = m_txt[0]->text();
    if (!isVisible() || m_warned || name.isEmpty() || m_txt[0]->hasFocus())
        return;
    if (!directory::nameExists(m_state.table, name.toStdString(), lastTakenRow()))
        return;
    m_warned = true;
    CloseGuard::Asking asking(m_guard);
    m_state.services.dialogs.error(
        QStringLiteral("Абонент с такой Фамилией И. О. уже есть!"), QStringLiteral("Повтор Ф. И. О."));
    focusNameBox();
}
