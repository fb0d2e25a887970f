#pragma once

// What the workbook exchanges share: the file dialogs' settings, the name proposed for a new
// workbook, and saving it with a message when the file cannot be written.

#include <QString>
#include <optional>

class Dialogs;
class SettingsStore;
class WorkbookWriter;

namespace workbook {

inline const QString SaveFilter = QStringLiteral("Файлы (*.xlsx)|*.xlsx|Все файлы(*.*)|*.*|");
inline const QString OpenFilter = QStringLiteral("Файлы (*.xlsx;*.xls)|*.xlsx;*.xls|Все файлы(*.*)|*.*|");
inline const QString Extension = QStringLiteral("*.xlsx");

// Asks where to save a new workbook, proposing the name with ".xlsx" after it; a "/" or "\" in
// it (a subscriber named "Участок 12/3") would make the dialog look for a folder, so they become
// "_". The dialog opens in the folder of the last workbook. Nothing when the user cancels.
std::optional<QString> askSaveName(Dialogs& dialogs, SettingsStore& settings, const QString& proposedName);
// Asks for a workbook to read, in the folder of the last workbook; the folder of the chosen one is
// kept for the next. Nothing when the user cancels.
std::optional<QString> askOpenName(Dialogs& dialogs, SettingsStore& settings);

// Saves the workbook under the chosen name, and keeps its folder for the next workbook. When the
// file cannot be written the user is told so; the file and the kept folder are then as they were.
bool save(WorkbookWriter& writer, const QString& path, Dialogs& dialogs, SettingsStore& settings);

} // namespace workbook
