#include "app/backup_file.h"

#include "accounts/bank_journal.h"
#include "database/database_file.h"
#include "database/field_map.h"
#include "reports/supplier_figures.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace backup {
namespace {

bool isAccessError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// What opening the file for reading says about it, before its content is looked at.
CopyStatus openForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return CopyStatus::Copied;
    }
    if (errno == ENOENT || errno == ENOTDIR)
        return CopyStatus::NotFound;
    if (isAccessError(errno))
        return CopyStatus::AccessDenied;
    return CopyStatus::Failed;
}

bool exists(const std::string& path)
{
    struct stat info
    { };
    return ::stat(path.c_str(), &info) == 0;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A file kept beside the database, copied beside a backup and back.
bool backUpBeside(const std::string& file, const std::string& copy)
{
    return !exists(file) || database::copyFile(file, copy);
}

bool restoreBeside(const std::string& copy, const std::string& file)
{
    if (!exists(copy))
        return true;
    if (exists(file) && !database::copyFile(file, formerDatabasePath(file)))
        return false;
    return database::copyFile(copy, file);
}

} // namespace

SourceCheck checkBackup(const std::string& path)
{
    using Status = SourceCheck::Status;
    switch (openForReading(path)) {
    case CopyStatus::NotFound: return { Status::NotFound };
    case CopyStatus::AccessDenied: return { Status::AccessDenied };
    case CopyStatus::Failed: return { Status::Unreadable };
    case CopyStatus::Copied: break;
    }
    const database::LoadResult result = database::check(path);
    using Load = database::LoadResult::Status;
    switch (result.status) {
    case Load::Loaded: return { Status::Ready };
    case Load::NotFound: return { Status::NotFound };
    case Load::Empty: return { Status::Empty };
    case Load::BadLine: return { Status::BadLine, result.line };
    case Load::TooManyLines: return { Status::BadLine, fields::MaxRecords + 1 };
    case Load::OpenFailed: return { Status::Unreadable };
    }
    return { Status::Unreadable };
}

std::string formerDatabasePath(const std::string& databasePath)
{
    return databasePath + ".до-восстановления";
}

CopyStatus replaceDatabase(const std::string& backupPath, const std::string& databasePath, bool* keptFormer)
{
    if (keptFormer)
        *keptFormer = false;
    if (const CopyStatus source = openForReading(backupPath); source != CopyStatus::Copied)
        return source;
    // The copy is written beside the database and renamed over it: that needs the folder.
    if (::access(folderOf(databasePath).c_str(), W_OK | X_OK) != 0)
        return isAccessError(errno) ? CopyStatus::AccessDenied : CopyStatus::Failed;
    if (database::isWriteProtected(databasePath))
        return CopyStatus::AccessDenied;
    // A restore from the wrong copy can be undone: the database it replaces stays beside it.
    // Only once that copy is whole is the database replaced.
    struct stat info
    { };
    if (::stat(databasePath.c_str(), &info) == 0) {
        if (!database::copyFile(databasePath, formerDatabasePath(databasePath)))
            return CopyStatus::Failed;
        if (keptFormer)
            *keptFormer = true;
    }
    return database::copyFile(backupPath, databasePath) ? CopyStatus::Copied : CopyStatus::Failed;
}

std::string journalBackupPath(const std::string& backupPath)
{
    return backupPath + ".bank";
}

bool backUpJournal(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(bank::journalPath(databasePath), journalBackupPath(backupPath));
}

bool restoreJournal(const std::string& backupPath, const std::string& databasePath)
{
    return restoreBeside(journalBackupPath(backupPath), bank::journalPath(databasePath));
}

std::string supplierFiguresBackupPath(const std::string& backupPath)
{
    return backupPath + ".balance";
}

bool backUpSupplierFigures(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(reports::supplierFilePath(databasePath), supplierFiguresBackupPath(backupPath));
}

bool restoreSupplierFigures(const std::string& backupPath, const std::string& databasePath)
{
    return restoreBeside(supplierFiguresBackupPath(backupPath), reports::supplierFilePath(databasePath));
}

} // namespace backup
