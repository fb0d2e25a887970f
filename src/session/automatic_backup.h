#pragma once

// Automatic backups: before an operation that changes many records, and at the close of the program
// after a change, the database and the files beside it are copied into the folder of backups
// ("Резервные копии" beside the database, or the folder the settings name). The windows of every
// subsystem call automaticBackup() at that point; the app layer makes the copy (app/automatic_backup.cpp).
// A copy that fails says so and never stops the operation; the archive view makes none.

class AppState;

namespace backup {

// What the backup was made before: shown in the restore's list of backups.
enum class Reason {
    DirectoryImport,
    BankImport,
    Restore,
    CarryOver,
    YearOpening,
    Close,
};

void automaticBackup(AppState& state, Reason reason);

} // namespace backup
