#pragma once

// The program-wide state that the windows share: the record table, the variables that hand values
// from one window to the next, and the services through which the program reaches the desktop.

#include "database/change_journal.h"
#include "database/closed_months.h"
#include "database/database_file.h"
#include "database/record_table.h"
#include "session/status_notices.h"

#include <QString>
#include <string>
#include <vector>

class Clock;
class Dialogs;
class Printer;
class SettingsStore;
class Shell;

struct Services
{
    Dialogs& dialogs;
    SettingsStore& settings;
    Clock& clock;
    Shell& shell;
    Printer& printer;
};

namespace settings {
inline const QString Main = QStringLiteral("Nastr");
inline const QString DirectoryGrid = QStringLiteral("TunGrid");
// The payee's details for the receipts' payment codes.
inline const QString Payee = QStringLiteral("Rekv");
} // namespace settings

namespace colours {
constexpr quint32 DefaultOdd = 0x00FFFFC0;
constexpr quint32 DefaultEven = 0x00FFFF00;
constexpr quint32 DefaultFocus = 0x0000FFFF;
} // namespace colours

class AppState
{
public:
    AppState(Services services, QString programFolder);

    Services services;
    RecordTable table;
    // What the status bars show after an action went through.
    StatusNotices notices;

    QString programFolder; // the executable's folder: the help lives there
    // The database's folder: the program folder, or the user's data folder when the program
    // folder cannot be written (see database::chooseDataFolder).
    QString dataFolder;
    QString DatabasePath;

    int FieldsPerRecord = fields::PerRecord;
    bool DirectoryOpening = false;
    int AutosaveEnabled = 1;
    bool EnterMovesDown = true;
    quint32 RowColourOdd = colours::DefaultOdd;
    quint32 RowColourEven = colours::DefaultEven;
    quint32 FocusColour = colours::DefaultFocus;

    int LedgerBase = 0;
    int LedgerMonthIndex = 0;
    // Set at the ledger's first opening in the run, which returns to where its last close left it.
    bool LedgerOpenedThisRun = false;
    QString ReportYear;
    QString ReportMonthName;
    int ReportMonth = 0;
    QString PrintYear;
    QString PrintMonth;
    int PreviewMode = 0;
    std::vector<std::string> LastReadings;
    int SelectedDirectoryRow = 0;

    // The database file in the data folder, or the archive this run looks into.
    QString databaseFilePath() const;
    // The database file as the core takes it (UTF-8): the one loaded, else the one in the folder.
    std::string databaseFile() const;

    // A run on an archive (tervolin --archive PATH): the file is looked into, printed and
    // exported, but nothing is ever written, neither to the archive and the files beside it nor
    // to the user's settings, which this run only reads.
    void viewArchive(const QString& path);
    bool archiveView() const { return !m_archive.isEmpty(); }
    // For the commands that would change or write something: in the archive view it says
    // "Архив открыт только для просмотра." and is true, and the command does nothing.
    bool refuseInArchive();
    // A top-level window's caption; in the archive view it says first that this is the archive.
    QString windowTitle(const QString& caption) const;

    // The months closed now (database/closed_months.h): the last one closed, none when none is.
    std::optional<fields::YearMonth> ClosedThrough;
    bool isClosed(int year, int month) const { return closing::isClosed(ClosedThrough, { year, month }); }
    // For the commands that would change a month: when it is closed, says so with the way to open
    // it again and is true, and the command does nothing.
    bool refuseInClosedMonth(int year, int month);
    // The closed months as the journal beside the database names them, read again (at the start,
    // after a restore).
    void readClosedMonths();

    // Writes the whole table to the database file and says "База сохранена <hh:mm>" in the status
    // bars (in the archive view it writes nothing, says nothing and is false); on failure "Ошибка сохранения"
    // (or, for a file protected from writing, "Файл базы защищён от записи: <path>") and the file and the
    // table stay as they were. A write asked for while the file is being read or written (an autosave tick
    // while a message box of the load or of an earlier write is open) is skipped.
    bool WriteDatabase();
    // The same write as one commit with the new states of side files beside the database
    // (database/commit.h): both or neither, whatever stops it. SideFilesPending: the database is
    // written, and a side file takes its new state at the next start.
    database::Commit WriteDatabase(const std::vector<database::SideFileChange>& sideFiles);
    // Whether the last write that ran failed: the file then lacks what the table holds.
    bool lastWriteFailed() const { return m_lastWriteFailed; }

    // Set once the run ends on a signal (log-out, shutdown, Ctrl+C): nobody may be there to answer
    // a box, so a failing write shows none and asks nothing, and the end keeps the table in an
    // emergency copy instead.
    bool endingOnSignal = false;

    // Marks the file as being read, so that no write starts meanwhile.
    // The operating-system user, as the change journal names who wrote.
    static std::string operatingSystemUser();

    // What the writes asked for while it lives are, in the change journal "Tervolin2.log" beside
    // the database ("Загрузка выписки банка", "Перенос остатков" …); "Сохранение" otherwise.
    class Writing
    {
    public:
        Writing(AppState& state, QString kind, QString note = {});
        ~Writing();
        Writing(const Writing&) = delete;
        Writing& operator=(const Writing&) = delete;

    private:
        AppState& m_state;
        QString m_kind;
        QString m_note;
    };

    class FileBusy
    {
    public:
        explicit FileBusy(AppState& state) : m_state(state) { ++m_state.m_fileBusy; }
        ~FileBusy() { --m_state.m_fileBusy; }
        FileBusy(const FileBusy&) = delete;
        FileBusy& operator=(const FileBusy&) = delete;

    private:
        AppState& m_state;
    };
    bool fileBusy() const { return m_fileBusy > 0; }

private:
    QString m_archive;
    int m_fileBusy = 0;
    bool m_lastWriteFailed = false;
    QString m_writeKind;
    QString m_writeNote;

    // The change journal's new state for a write of the table to the database file: one entry
    // with every field that differs from the file, chained to the entries before it.
    database::SideFileChange journalEntry(const std::string& databasePath);
    changelog::Recorder m_journal;
};
