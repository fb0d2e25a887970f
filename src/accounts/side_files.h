#pragma once

// The files kept beside the database as the program starts and before a bank statement is
// imported: a commit of the database with them that a kill or a failure left half-way is finished
// or dropped (database/commit.h).

class AppState;

namespace ledger {

// The user is told only when the database was changed by something else meanwhile, or when a side
// file still cannot take its new state; false then for the latter, and nothing may be imported.
bool recoverSideFiles(AppState& state);

} // namespace ledger
