#pragma once

// The folder of automatic backups and what is in it (session/automatic_backup.h makes them).

#include "session/automatic_backup.h"

#include <QDateTime>
#include <QString>
#include <vector>

class SettingsStore;

namespace backup {

// Settings of section "Nastr": automatic backups on ("1", the default) or off ("0"), and the
// folder chosen instead of "Резервные копии" beside the database.
inline const QString AutoBackupKey = QStringLiteral("AutoBackup");
inline const QString AutoBackupFolderKey = QStringLiteral("AutoBackupDir");

bool automaticBackupsOn(const SettingsStore& settings);
// The folder chosen in the settings, else "Резервные копии" beside the database's real file.
QString automaticBackupFolder(const AppState& state);
QString defaultAutomaticBackupFolder(const AppState& state);

// "перед импортом справочника", "при закрытии программы" …: what a backup was made before.
QString reasonText(Reason reason);

struct AutomaticBackup
{
    QString path;
    QDateTime time; // the one its name carries
    qint64 bytes = 0; // the backup and its side files
    QString reason; // from its ".why" file; empty when it has none
};
// The automatic backups in the folder, newest first. Other files there are not backups of ours.
std::vector<AutomaticBackup> automaticBackups(const AppState& state);

// At the start of a run: says once that an automatic backup of the last runs could not be written.
void tellAboutFailedAutomaticBackup(AppState& state);

} // namespace backup
