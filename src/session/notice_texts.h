#pragma once

// The short lines the windows' status bars show after an action went through: what was done and
// where it went. Plain texts, so that their wording is checked without a display.

#include <string>

namespace statusText {

// "База сохранена 14:05".
std::string savedText(int hour, int minute);
// "Резервная копия: <path>".
std::string backupText(const std::string& path);
// "Автоматическая резервная копия не записана: <path>".
std::string automaticBackupFailedText(const std::string& path);
// "Экспорт: <path>" for a workbook or a PDF file.
std::string exportText(const std::string& path);
// "Остатки перенесены на январь 2027".
std::string carriedOverText(const std::string& year);
// "Архив: <path>; 2028 год открыт".
std::string yearOpenedText(const std::string& archivePath, const std::string& year);
// "Импорт: 25 абонентов", "Импорт: 1 абонент", "Импорт: 3 абонента".
std::string importedSubscribersText(int count);
// "Импорт выписки: 3 платежа".
std::string importedPaymentsText(int count);

// The Russian word for a count: one for 1, 21, 31 …, few for 2 … 4, 22 … 24 …, many for the rest
// (0, 5 … 20, 25 …, 111 …).
const char* countWord(int count, const char* one, const char* few, const char* many);

} // namespace statusText
