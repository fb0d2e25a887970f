#include "directory/add_subscriber_window.h"

#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

frmAdd::frmAdd(AppState& state, QWidget* directoryWindow, CloseGuard& guard)
    : SubscriberForm(state, directoryWindow, guard, QStringLiteral("frmAdd"),
        QStringLiteral("Добавление нового абонента"), QStringLiteral("Добавить"))
{
    m_cmdOk = new QPushButton(QStringLiteral("Занести в базу"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    buttonRow()->addWidget(m_cmdOk);
    // Shown once there is something to confirm.
    m_cmdOk->hide();

    connect(Cmd1(), &QPushButton::clicked, this, &frmAdd::Cmd1_Click);
    connect(m_cmdOk, &QPushButton::clicked, this, &frmAdd::CmdOk_Click);
    CLEAN();
}

int frmAdd::lastTakenRow() const
{
    return m_state.table.recordCount() + m_added;
}

void frmAdd::CLEAN()
{
    for (int j = 0; j < directory::EntryFieldCount; ++j)
        box(j)->clear();
}

void frmAdd::Cmd1_Click()
{
    Dialogs& dialogs = m_state.services.dialogs;
    CloseGuard::Asking asking(m_guard);
    if (box(0)->text().trimmed().isEmpty()) {
        dialogs.error(QStringLiteral("Не введена Фамилия И. О. "), QStringLiteral("Ошибка ввода"));
        focusNameBox();
        return;
    }
    if (capName())
        return;
    if (!directory::writePendingRecord(m_state.table, m_added, texts())) {
        dialogs.error(QStringLiteral("В базе уже 3001 абонент: больше добавить нельзя."),
            QStringLiteral("Ошибка ввода"));
        focusNameBox();
        return;
    }
    ++m_added;
    CLEAN();
    m_cmdOk->show();
    // Ready for the next subscriber.
    focusNameBox();
}

void frmAdd::CmdOk_Click()
{
    storeAdditions();
    close();
}

void frmAdd::storeAdditions()
{
    directory::confirmAdditions(m_state.table, m_added);
    m_added = 0;
    AppState::Writing writing(m_state, QStringLiteral("Добавление абонентов"));
    m_state.WriteDatabase();
    emit confirmed();
}

void frmAdd::closeEvent(QCloseEvent* event)
{
    if (m_guard.postpone(this, event))
        return;
    if (m_added > 0) {
        // "Добавить" clears the boxes as if the subscriber were in: closing must not drop them
        // unasked.
        CloseGuard::Asking asking(m_guard);
        switch (m_state.services.dialogs.askYesNoCancel(
            QStringLiteral("Занести добавленных абонентов в базу?"), windowTitle(), Answer::Yes)) {
        case Answer::Yes: storeAdditions(); break;
        case Answer::No: m_added = 0; break;
        default: event->ignore(); return;
        }
    }
    event->accept();
}

void frmAdd::reject()
{
    // Esc closes the dialog as its close box does, question and all.
    close();
}
