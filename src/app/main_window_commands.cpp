// Form1: the commands that open the other windows, and the backups and archives.

#include "app/main_window.h"

#include "accounts/ledger_window.h"
#include "app/backup.h"
#include "app/colour_window.h"
#include "app/payee_window.h"
#include "app/program.h"
#include "app/save_settings_window.h"
#include "documents/receipt_batch_window.h"
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "reports/about_window.h"
#include "reports/chart_window.h"
#include "reports/help_command.h"
#include "reports/summary_window.h"
#include "session/app_state.h"
#include "reports/check_window.h"
#include "sheet/readings_window.h"
#include "sheet/sheet_view.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

void Form1::onCalculator()
{
    startCalculator(m_state.services.shell, m_state.services.dialogs);
}

void Form1::openLedger(bool writeFirst)
{
    // The ledger shows every subscriber's month charge as stored: the sheet's own first.
    SAVE();
    if (writeFirst)
        m_state.WriteDatabase();
    auto* ledger = new frmRedLS(m_state, m_cmb[1]->currentText());
    ledger->Form_Load();
    m_program.openOverMainWindow(ledger);
}

void Form1::openDirectory()
{
    // The close stores the sheet and writes the file; the directory then takes over.
    m_state.DirectoryOpening = true;
    close();
}

void Form1::openReceiptsForAll(int month)
{
    // The receipts are worked out from the records: the sheet's last typing goes there first.
    SAVE();
    auto* window = new frmKvitAll(m_state, *this, m_shownYear, month);
    window->show();
}

void Form1::openSaveSettings()
{
    if (m_state.refuseInArchive())
        return;
    auto* window = new frmTunSave(m_state, *this);
    window->show();
}

void Form1::openColours()
{
    if (m_state.refuseInArchive())
        return;
    auto* window = new frmColor(m_state, *this);
    window->show();
}

void Form1::openPayee()
{
    if (m_state.refuseInArchive())
        return;
    auto* window = new frmRekv(m_state, this);
    window->show();
}

void Form1::openChart()
{
    m_program.openOverMainWindow(new frmGr1(m_state, m_cmb[0]->currentText(), m_cmb[1]->currentText()));
}

void Form1::openCheck()
{
    // The check reads the table: the sheet's own months first.
    SAVE();
    auto* check = new frmCheck(m_state, m_shownYear);
    connect(check, &frmCheck::showOnSheet, this, &Form1::showOnSheet);
    m_program.openOverMainWindow(check);
}

void Form1::openReadings(int month)
{
    // The window stores into the records: the sheet's own months go there first, and the sheet
    // shows what the window stored once it has closed.
    SAVE();
    const int year = shownHeldYear().value_or(m_state.table.years().nearest(m_shownYear.toInt()));
    auto* window = new frmReadings(m_state, year, month);
    connect(window, &frmReadings::closed, this, [this] {
        ZAPOLNIT();
        VICHISLIT();
    });
    m_program.openOverMainWindow(window);
}

void Form1::openSummary()
{
    SAVE();
    m_program.openOverMainWindow(new frmSummary(m_state, m_shownYear));
}

void Form1::showOnSheet(int record, const QString& year, int month)
{
    // The selector lists the records in their order.
    if (record < 1 || record > m_cmb[0]->count() || month < 1 || month > 12)
        return;
    m_cmb[0]->setCurrentIndex(record - 1);
    m_cmb[1]->setCurrentIndex(m_cmb[1]->findText(year));
    ZAPOLNIT();
    VICHISLIT();
    show();
    raise();
    activateWindow();
    m_sheet->typed(month, fields::CurrentReading)->setFocus(Qt::OtherFocusReason);
}

void Form1::openAbout()
{
    auto* window = new frmAbout(*this);
    window->show();
}

void Form1::openHelp()
{
    help::openHelp(m_state);
}

void Form1::makeBackup()
{
    if (m_state.refuseInArchive())
        return;
    backup::makeBackup(m_state);
}

void Form1::restoreBackup()
{
    if (m_state.refuseInArchive())
        return;
    if (!backup::restoreBackup(m_state))
        return;
    // The program ends without this window's close, which would write the old table over the
    // restored file.
    m_timer1->stop();
    m_timer2->stop();
    m_program.endProgram(0);
}

void Form1::openArchive()
{
    Dialogs& dialogs = m_state.services.dialogs;
    SettingsStore& store = m_state.services.settings;
    // The archives are made beside the database: there first, until the user has gone elsewhere.
    QString folder = places::folder(store, places::Kind::Archive);
    if (folder.isEmpty())
        folder = QFileInfo(m_state.databaseFilePath()).absolutePath();
    const std::optional<QString> chosen
        = dialogs.openFileName({ QStringLiteral("Архивы базы (*.spb)|*.spb|Все файлы(*.*)|*.*|"),
            QStringLiteral("*.spb"), QString(), folder });
    if (!chosen)
        return;
    places::remember(store, places::Kind::Archive, *chosen);
    // The other copy reads the settings file: it comes up with the colours and places set here.
    store.sync();
    const QString path = QDir::toNativeSeparators(*chosen);
    if (!m_state.services.shell.startThisProgram({ QStringLiteral("--archive"), path }))
        dialogs.message({ QStringLiteral("Не удалось запустить программу для просмотра архива %1.").arg(path),
            QStringLiteral("Архив"), MessageIcon::Exclamation });
}
