// Form1: the save button, the autosave and the close, which stores the settings and writes the file.

#include "app/main_window.h"

#include "app/automatic_backup.h"
#include "app/backup.h"
#include "app/main_window_parts.h"
#include "app/program.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>

using namespace mainwindow;

namespace {

// The database file could not be written at the close of the program: a copy elsewhere is
// offered, then a close without saving. True when the window may close.
bool mayCloseUnwritten(AppState& state)
{
    // On the way to the directory the window simply stays. At a signal nobody may answer: the
    // end of the run keeps the table in an emergency copy.
    if (state.DirectoryOpening || state.endingOnSignal)
        return false;
    // No autosave tick starts another failing write while the questions are open.
    AppState::FileBusy busy(state);
    Dialogs& dialogs = state.services.dialogs;
    for (;;) {
        const Answer copy
            = dialogs.message({ QStringLiteral("Не удалось сохранить базу. Сохранить копию в другое место?"),
                QString(), MessageIcon::Question, MessageButtons::YesNo, Answer::Yes });
        if (state.endingOnSignal)
            return false;
        if (copy == Answer::Yes) {
            // A cancelled dialog or a copy that failed (it says so) comes back to the question.
            if (backup::makeBackup(state))
                return true;
            if (state.endingOnSignal)
                return false;
            continue;
        }
        const bool closeAnyway = dialogs.askYesNo(
            QStringLiteral("Закрыть программу без сохранения?"), QString(), MessageIcon::Question);
        return closeAnyway && !state.endingOnSignal;
    }
}

} // namespace

void Form1::updateAutosaveTimer()
{
    // An archive is never written, so there is nothing to save every two minutes.
    if (m_state.AutosaveEnabled != 0 && !m_state.archiveView()) {
        if (!m_timer2->isActive())
            m_timer2->start();
    } else {
        m_timer2->stop();
    }
}

void Form1::Timer2_Timer()
{
    m_timer1->start();
    m_timer2->stop();
}

void Form1::Timer1_Timer()
{
    // Only once the sheet has been stored since the window opened is there anything to write.
    if (button(SaveButton)->isEnabled()) {
        AppState::Writing writing(m_state, QStringLiteral("Автосохранение"));
        m_state.WriteDatabase();
    }
    m_timer1->stop();
    updateAutosaveTimer();
}

void Form1::onSaveButton()
{
    if (m_state.refuseInArchive())
        return;
    SAVE();
    m_state.WriteDatabase();
}

void Form1::storeSettings()
{
    SettingsStore& store = m_state.services.settings;
    storePlace();
    store.setValue(settings::Main, QStringLiteral("Cmb0"), m_cmb[0]->currentText());
    store.setValue(settings::Main, QStringLiteral("Cmb1"), m_cmb[1]->currentText());
    for (int i = 0; i < 4; ++i)
        store.setValue(
            settings::Main, QStringLiteral("Form1.Ch%1").arg(i + 1), m_ch[i]->isChecked() ? "1" : "0");
    store.sync();
}

void Form1::closeEvent(QCloseEvent* event)
{
    storeSettings();
    // An archive has nothing to store or write: the window simply closes.
    if (!m_state.archiveView()) {
        SAVE();
        if (!m_state.WriteDatabase() && !mayCloseUnwritten(m_state)) {
            // What was typed is only in memory: the window stays, so nothing is lost.
            m_state.DirectoryOpening = false;
            event->ignore();
            return;
        }
        backup::automaticBackup(m_state, backup::Reason::Close);
    }
    event->accept();
    m_timer1->stop();
    m_timer2->stop();
    m_program.mainWindowClosed(m_state.DirectoryOpening);
}
