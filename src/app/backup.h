#pragma once

// "Резервное копирование базы" and "Восстановление базы из резервной копии" of the main window's
// menu "Настройки".

#include <QString>
#include <optional>

class AppState;
class QDateTime;

namespace backup {

// "06.12.2026 21ч05мин Tervolin2.spb" for 21:05 on 6 December 2026.
QString proposedName(const QDateTime& now);

// "Tervolin2 2026-12-08 14-05-33.spb" for 14:05:33 on 8 December 2026.
QString emergencyCopyName(const QDateTime& now);

// A backup's set as it was written: whole, or which file of it failed (at `file`).
struct SetWritten
{
    enum class Part { None, Database, Journal, SupplierFigures, Route, Claims, ChangeLog, Payee };
    Part failed = Part::None;
    QString file;
    bool whole() const { return failed == Part::None; }
};
// Writes the record table to `path` as the database file is written, then beside it the files kept
// beside the database (".bank", ".balance", ".route", ".claims") and the payee details (".rekv"). A side file
// that the database does not have removes a stale one of that name.
SetWritten writeBackupSet(AppState& state, const QString& path);

// Writes the record table to a file the user names, as the database itself is written, with the
// files kept beside the database (the bank import's journal, the supplier's figures) beside it.
// True when the copy has been written whole; false when the dialog was cancelled or a write failed
// (said so).
bool makeBackup(AppState& state);

// The end of a run on a signal when the database cannot be written: the table goes to
// $XDG_DATA_HOME/tervolin/ (~/.local/share/tervolin/) under emergencyCopyName(), and the next
// start says where. The path written, or none when no folder would take it.
std::optional<QString> writeEmergencyCopy(AppState& state);

// At the start of a run: names the emergency copy the last run left, once.
void tellAboutEmergencyCopy(AppState& state);

// Checks a file the user chooses, asks, and copies it over the database file. True when the
// database has been replaced: the program must then end at once, writing nothing more.
bool restoreBackup(AppState& state);

} // namespace backup
