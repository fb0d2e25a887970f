#include "app/backup_file.h"

#include "accounts/bank_journal.h"
#include "database/database_file.h"
#include "database/field_map.h"
#include "platform/file_system.h"
#include "reports/supplier_figures.h"

namespace backup {
namespace {

// What opening the file for reading says about it, before its content is looked at.
CopyStatus openForReading(const std::string& path)
{
    files::InputFile file;
    switch (file.open(path)) {
    case files::OpenStatus::Opened: return CopyStatus::Copied;
    case files::OpenStatus::NotFound:
    case files::OpenStatus::NoFolder: return CopyStatus::NotFound;
    case files::OpenStatus::AccessDenied: return CopyStatus::AccessDenied;
    case files::OpenStatus::Failed: break;
    }
    return CopyStatus::Failed;
}

// A file kept beside the database, copied beside a backup and back.
bool backUpBeside(const std::string& file, const std::string& copy)
{
    return !files::exists(file) || database::copyFile(file, copy);
}

bool restoreBeside(const std::string& copy, const std::string& file)
{
    if (!files::exists(copy))
        return true;
    if (files::exists(file) && !database::copyFile(file, formerDatabasePath(file)))
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
    switch (files::canCreateFilesIn(files::folderOf(databasePath))) {
    case files::OpenStatus::Opened: break;
    case files::OpenStatus::AccessDenied: return CopyStatus::AccessDenied;
    default: return CopyStatus::Failed;
    }
    if (database::isWriteProtected(databasePath))
        return CopyStatus::AccessDenied;
    // A restore from the wrong copy can be undone: the database it replaces stays beside it.
    // Only once that copy is whole is the database replaced.
    if (files::exists(databasePath)) {
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
