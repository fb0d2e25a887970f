#include "accounts/year_rollover.h"

#include "accounts/bank_journal.h"
#include "accounts/claims_register.h"
#include "database/change_log.h"
#include "database/year_archive.h"
#include "reports/supplier_figures.h"
#include "sheet/route_file.h"

namespace ledger {

std::vector<std::string> archivedSideFiles(const std::string& databasePath)
{
    return { bank::journalPath(databasePath), reports::supplierFilePath(databasePath),
        route::filePath(databasePath), claims::filePath(databasePath),
        database::sideFilePath(databasePath, changelog::FileName) };
}

Rollover openNextYear(RecordTable& table, const std::string& databasePath,
    const std::vector<CarryOverRow>& rows, const std::function<bool()>& write)
{
    Rollover result;
    if (!table.years().canMoveOn())
        return result;
    const database::ArchiveResult archive
        = database::archiveDatabase(databasePath, table.years(), archivedSideFiles(databasePath));
    result.archivePath = archive.path;
    if (!archive.archived) {
        result.status = Rollover::Status::NotArchived;
        result.error = archive.error;
        return result;
    }

    const int newYear = table.years().last() + 1;
    const database::DroppedYear dropped = database::dropFirstYear(table);
    transferToJanuary(table, newYear, rows);
    if (!write()) {
        database::restoreFirstYear(table, dropped);
        result.status = Rollover::Status::NotWritten;
        return result;
    }
    result.status = Rollover::Status::Opened;
    return result;
}

} // namespace ledger
