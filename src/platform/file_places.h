#pragma once

// The folders where the file dialogs open: each kind of file remembers the folder it was last
// saved to or opened from (settings section "Nastr", one key per kind), so that a user who keeps
// the backups on a stick and the workbooks in "Документы" finds each where they left it.

#include <QString>

class SettingsStore;

namespace places {

enum class Kind {
    Backup, // database backups and restores
    Workbook, // every workbook exported or imported
    Pdf, // documents saved as PDF
    Statement, // bank statements
    Archive, // archives of past years opened for viewing
    Readings, // a month's readings brought in from a file
};

// "LastBackupDir", "LastWorkbookDir", "LastPdfDir", "LastStatementDir", "LastArchiveDir",
// "LastReadingsDir".
QString settingsKey(Kind kind);

// The folder for the dialog's FileRequest::folder: the one last used for this kind while it is
// still there; "" (the home folder) when none was used or it has since gone.
QString folder(const SettingsStore& settings, Kind kind);

// Keeps the folder of a file just written or read, for the next dialog of its kind. Called only
// once the file is there: a cancelled dialog or a failed write keeps the folder used before.
void remember(SettingsStore& settings, Kind kind, const QString& file);

} // namespace places
