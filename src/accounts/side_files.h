#pragma once

// The files kept beside the database as the program starts and before a bank statement is
// imported: a commit of the database with them that a kill or a failure left half-way is finished
// or dropped (database/commit.h).

class AppState;

namespace ledger {

// The user is told only when the database was changed by something else meanwhile, or when a side
// file still cannot take its new state; false then for the latter, and nothing may be imported.
bool recoverSideFiles(AppState& state);

// At the start: a change journal whose chain is broken, or whose last entry describes another
// database than the one on disk, is said once in plain words and recorded as such, so that the
// next start finds the journal sound again. The program goes on working either way.
void checkChangeJournal(AppState& state);

} // namespace ledger
