#pragma once

// "Резервное копирование базы" and "Восстановление базы из резервной копии" of the main window's
// menu "Настройки".

#include <QString>

class AppState;
class QDateTime;

namespace backup {

// "06.12.2026 21ч05мин Tervolin2.spb" for 21:05 on 6 December 2026.
QString proposedName(const QDateTime& now);

// Writes the record table to a file the user names, as the database itself is written.
void makeBackup(AppState& state);

// Checks a file the user chooses, asks, and copies it over the database file. True when the
// database has been replaced: the program must then end at once, writing nothing more.
bool restoreBackup(AppState& state);

} // namespace backup
