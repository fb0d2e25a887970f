#pragma once

// The file side of backups: whether a chosen file may replace the database, and the replacement
// itself. A backup has the database file's format exactly.

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

// Copies the backup over the database file through a temporary file beside it, so that the
// database is either the old file or a complete copy, whatever happens. The database it replaces
// is first kept whole at formerDatabasePath(); `keptFormer` says whether there was one to keep.
// A database protected from writing is refused (AccessDenied) and kept.
CopyStatus replaceDatabase(
    const std::string& backupPath, const std::string& databasePath, bool* keptFormer = nullptr);

// The journal of the payments imported from bank statements goes with its database: a backup
// copies it to "<backup>.bank", and a restore from a backup that has one brings it back, keeping
// the journal it replaces at formerDatabasePath() of the journal. Restored without it, the
// payments entered after the backup would count as entered. Both are true when there was nothing
// to copy.
std::string journalBackupPath(const std::string& backupPath);
bool backUpJournal(const std::string& databasePath, const std::string& backupPath);
bool restoreJournal(const std::string& backupPath, const std::string& databasePath);

// The supplier's figures typed in the month's summary go the same way: "<backup>.balance".
std::string supplierFiguresBackupPath(const std::string& backupPath);
bool backUpSupplierFigures(const std::string& databasePath, const std::string& backupPath);
bool restoreSupplierFigures(const std::string& backupPath, const std::string& databasePath);

} // namespace backup
