#pragma once

// The file side of backups: whether a chosen file may replace the database, and the replacement
// itself. A backup has the database file's format exactly.

#include "database/change_log.h"

#include <string>

namespace backup {

struct SourceCheck
{
    enum class Status {
        Ready, // a database file the program can load
        NotFound, // no file at the path
        AccessDenied, // the file may not be read
        Empty, // a file without content
        BadLine, // line `line` holds fewer than 2128 separators, or is one record too many
        Unreadable, // any other failure to read
    };
    Status status = Status::Unreadable;
    int line = 0;
};

// Reads the whole file as the start of the program would, keeping nothing. A file of more records
// than the program holds is refused at its first surplus line: restored, it could not be opened.
SourceCheck checkBackup(const std::string& path);

enum class CopyStatus { Copied, NotFound, AccessDenied, Failed };

// The name a backup's temporary file takes beside it while the backup is written.
inline constexpr const char* BackupTemporarySuffix = ".tmp-резервная-копия";
// Where a restore keeps the database it replaces: "Tervolin2.spb.до-восстановления" beside it.
std::string formerDatabasePath(const std::string& databasePath);

// A restore as one set: the database and the files beside it (the journal of bank payments, the
// supplier's figures) are replaced together or not at all (database/commit.h). Each file that is
// replaced is first kept beside itself at formerDatabasePath(). A backup that has no journal (one
// made before journals went with backups) keeps of the current journal only the payments that the
// restored database holds: a payment that is not in it may come in again.
struct Restore
{
    CopyStatus status = CopyStatus::Failed;
    bool keptFormer = false; // the database replaced is kept at formerDatabasePath()
    // A side file that could not be read, kept or written: the restore did not happen.
    std::string failedFile;
    // The database is in place, a side file waits for the next start to take its new state.
    bool sidesPending = false;
    // Without a journal in the backup: payments kept in the current journal, and left out of it.
    bool journalFiltered = false;
    int journalKept = 0;
    int journalDropped = 0;
};
// With `entry` named (its kind, time, user and note), the change journal gets one more entry for the
// restore, with every field it changed, as part of the same commit.
Restore restoreSet(
    const std::string& backupPath, const std::string& databasePath, changelog::Entry entry = {});

// The journal of the payments imported from bank statements goes with its database: a backup
// copies it to "<backup>.bank" (and removes one left there by an older backup of that name when
// the database has none), and restoreSet() brings it back. True when there was nothing to copy.
std::string journalBackupPath(const std::string& backupPath);
bool backUpJournal(const std::string& databasePath, const std::string& backupPath);

// The payee details of the user's settings go beside a backup as "<backup>.rekv"
// (documents/payee_file.h); a restore offers to take them.
std::string payeeBackupPath(const std::string& backupPath);

// The supplier's figures typed in the month's summary go the same way: "<backup>.balance".
std::string supplierFiguresBackupPath(const std::string& backupPath);
bool backUpSupplierFigures(const std::string& databasePath, const std::string& backupPath);

// The order of the round ("Показания за месяц") the same way: "<backup>.route".
// The change journal goes beside a backup as "<backup>.log", for a computer that has none.
std::string changeLogBackupPath(const std::string& backupPath);
bool backUpChangeLog(const std::string& databasePath, const std::string& backupPath);

std::string routeBackupPath(const std::string& backupPath);
bool backUpRoute(const std::string& databasePath, const std::string& backupPath);

// The register of claims sent to debtors the same way: "<backup>.claims".
std::string claimsBackupPath(const std::string& backupPath);
bool backUpClaims(const std::string& databasePath, const std::string& backupPath);

} // namespace backup
