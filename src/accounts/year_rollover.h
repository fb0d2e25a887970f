#pragma once

// The step from December of the last year the database holds into the January after it. The file
// has room for eight years, so the oldest one leaves it: first the whole file, with its side files,
// goes to an archive beside it ("Tervolin2 архив 2020-2027.spb"); then the oldest year's months are
// emptied in every record, the years move on by one, the December balances go into the new
// January as the carry-over writes them, and the database is written at once.

#include "accounts/ledger.h"

#include <functional>
#include <string>
#include <vector>

namespace ledger {

struct Rollover
{
    enum class Status {
        Opened, // the new year is open and written
        CannotMove, // the years can move no further
        NotArchived, // the archive could not be made: nothing changed
        NotWritten, // the database could not be written: the table is as it was, the archive stays
    };
    Status status = Status::CannotMove;
    std::string archivePath;
    std::string error;
};

// The side files that go into the archive with the database: "Tervolin2.bank", "Tervolin2.balance",
// the route, the register of claims and the change journal.
std::vector<std::string> archivedSideFiles(const std::string& databasePath);

// `write` writes the table to the database file and says whether it went; the file on disk is
// archived as it stands, so what is on screen must be written before.
Rollover openNextYear(RecordTable& table, const std::string& databasePath,
    const std::vector<CarryOverRow>& rows, const std::function<bool()>& write);

} // namespace ledger
