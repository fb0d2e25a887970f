#include "app/backup_file.h"

#include "accounts/bank_journal.h"
#include "accounts/claims_register.h"
#include "database/change_log.h"
#include "database/database_file.h"
#include "database/field_map.h"
#include "database/year_archive.h"
#include "database/year_window.h"
#include "platform/file_system.h"
#include "reports/supplier_figures.h"
#include "sheet/route_file.h"

#include <memory>

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
    // A backup written over an older one of the same name must not keep that one's side file: a
    // restore would bring another database's journal in.
    if (!files::exists(file))
        return !files::exists(copy) || files::removeRegularFile(copy);
    return database::copyFile(file, copy);
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

namespace {

// The current journal without the payments that the restored database does not hold: those whose
// subscriber's month has no money paid in there.
std::optional<std::string> journalForRestored(
    const std::string& backupPath, const bank::Journal& current, Restore& result)
{
    RecordTable restored;
    if (database::load(backupPath, restored).status != database::LoadResult::Status::Loaded)
        return std::nullopt;
    bank::Journal kept;
    for (const bank::JournalEntry& entry : current.entries()) {
        const bool held = restored.years().holds(entry.year)
            && !restored.field(entry.record, fields::ledgerBaseOfMonth(entry.year, entry.month) + 6).empty();
        if (held) {
            kept.add(entry);
            ++result.journalKept;
        } else {
            ++result.journalDropped;
        }
    }
    result.journalFiltered = true;
    return bank::journalBytes(kept);
}

// The new state of one side file from its copy beside the backup: nothing to change when the
// backup has none.
bool sideFromBackup(const std::string& copy, const std::string& file,
    std::vector<database::SideFileChange>& changes, Restore& result)
{
    if (!files::exists(copy))
        return true;
    database::FileBytes bytes = database::readFile(copy, std::size_t(1) << 30);
    if (bytes.status != database::FileBytes::Status::Read) {
        result.failedFile = copy;
        return false;
    }
    changes.push_back({ file, std::move(bytes.bytes) });
    return true;
}

// The change journal never goes back with the database: the restore is one more entry, with every
// field it changed. A database that has no journal yet takes the backup's.
bool journalOfRestore(const std::string& backupPath, const std::string& databasePath, changelog::Entry entry,
    std::vector<database::SideFileChange>& changes, Restore& result)
{
    const std::string path = database::sideFilePath(databasePath, changelog::FileName);
    const std::string source = files::exists(path) ? path : changeLogBackupPath(backupPath);
    auto journal = std::make_shared<std::string>();
    if (files::exists(source)) {
        database::FileBytes bytes = database::readFile(source, std::size_t(1) << 30);
        if (bytes.status != database::FileBytes::Status::Read) {
            result.failedFile = source;
            return false;
        }
        *journal = std::move(bytes.bytes);
    }
    RecordTable before;
    RecordTable after;
    database::load(databasePath, before);
    database::load(backupPath, after);
    entry.changes = changelog::differences(before, after);
    auto made = std::make_shared<changelog::Entry>(std::move(entry));
    changes.push_back({ path, std::nullopt, [made, journal](const std::string& databaseHash) {
                           made->databaseHash = databaseHash;
                           return changelog::appended(*journal, *made);
                       } });
    return true;
}

} // namespace

Restore restoreSet(const std::string& backupPath, const std::string& databasePath, changelog::Entry entry)
{
    Restore result;
    if (const CopyStatus source = openForReading(backupPath); source != CopyStatus::Copied) {
        result.status = source;
        return result;
    }
    switch (files::canCreateFilesIn(files::folderOf(databasePath))) {
    case files::OpenStatus::Opened: break;
    case files::OpenStatus::AccessDenied: result.status = CopyStatus::AccessDenied; return result;
    default: return result;
    }
    if (database::isWriteProtected(databasePath)) {
        result.status = CopyStatus::AccessDenied;
        return result;
    }

    std::vector<database::SideFileChange> changes;
    const std::string journal = bank::journalPath(databasePath);
    if (files::exists(journalBackupPath(backupPath))) {
        if (!sideFromBackup(journalBackupPath(backupPath), journal, changes, result))
            return result;
    } else if (files::exists(journal)) {
        const bank::JournalRead current = bank::readJournal(journal);
        std::optional<std::string> bytes;
        if (current.status == bank::JournalRead::Status::Read)
            bytes = journalForRestored(backupPath, current.journal, result);
        if (!bytes) {
            result.failedFile = journal;
            return result;
        }
        changes.push_back({ journal, std::move(*bytes) });
    }
    if (!sideFromBackup(
            supplierFiguresBackupPath(backupPath), reports::supplierFilePath(databasePath), changes, result))
        return result;
    if (!sideFromBackup(routeBackupPath(backupPath), route::filePath(databasePath), changes, result))
        return result;
    if (!sideFromBackup(claimsBackupPath(backupPath), claims::filePath(databasePath), changes, result))
        return result;
    if (!entry.kind.empty() && !journalOfRestore(backupPath, databasePath, std::move(entry), changes, result))
        return result;

    // Every file that is replaced is kept first, and none is replaced that could not be written.
    for (const database::SideFileChange& change : changes) {
        if (!files::exists(change.path))
            continue;
        if (files::isWriteProtected(change.path)
            || !database::copyFile(change.path, formerDatabasePath(change.path))) {
            result.failedFile = change.path;
            return result;
        }
    }
    if (files::exists(databasePath)) {
        if (!database::copyFile(databasePath, formerDatabasePath(databasePath)))
            return result;
        result.keptFormer = true;
    }
    std::string error;
    switch (database::copyFile(backupPath, databasePath, changes, &error)) {
    case database::Commit::Failed:
        // The error names a side file whose new state could not be written.
        for (const database::SideFileChange& change : changes) {
            const std::string name = change.path.substr(change.path.find_last_of("/\\") + 1);
            if (error.find(name) != std::string::npos)
                result.failedFile = change.path;
        }
        return result;
    case database::Commit::SideFilesPending: result.sidesPending = true; break;
    case database::Commit::Done: break;
    }
    result.status = CopyStatus::Copied;
    return result;
}

std::string journalBackupPath(const std::string& backupPath)
{
    return backupPath + ".bank";
}

bool backUpJournal(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(bank::journalPath(databasePath), journalBackupPath(backupPath));
}

std::string payeeBackupPath(const std::string& backupPath)
{
    return backupPath + ".rekv";
}

std::string supplierFiguresBackupPath(const std::string& backupPath)
{
    return backupPath + ".balance";
}

bool backUpSupplierFigures(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(reports::supplierFilePath(databasePath), supplierFiguresBackupPath(backupPath));
}

std::string changeLogBackupPath(const std::string& backupPath)
{
    return backupPath + ".log";
}

bool backUpChangeLog(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(
        database::sideFilePath(databasePath, changelog::FileName), changeLogBackupPath(backupPath));
}

std::string routeBackupPath(const std::string& backupPath)
{
    return backupPath + ".route";
}

bool backUpRoute(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(route::filePath(databasePath), routeBackupPath(backupPath));
}

std::string claimsBackupPath(const std::string& backupPath)
{
    return backupPath + ".claims";
}

bool backUpClaims(const std::string& databasePath, const std::string& backupPath)
{
    return backUpBeside(claims::filePath(databasePath), claimsBackupPath(backupPath));
}

} // namespace backup
