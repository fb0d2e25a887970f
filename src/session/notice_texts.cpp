#include "session/notice_texts.h"

#include <cstdio>
#include <cstdlib>

namespace statusText {

std::string savedText(int hour, int minute)
{
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", hour % 100, minute % 100);
    return std::string("База сохранена ") + time;
}

std::string backupText(const std::string& path)
{
    return "Резервная копия: " + path;
}

std::string automaticBackupFailedText(const std::string& path)
{
    return "Автоматическая резервная копия не записана: " + path;
}

std::string exportText(const std::string& path)
{
    return "Экспорт: " + path;
}

std::string carriedOverText(const std::string& year)
{
    return "Остатки перенесены на январь " + year;
}

std::string yearOpenedText(const std::string& archivePath, const std::string& year)
{
    return "Архив: " + archivePath + "; " + year + " год открыт";
}

std::string importedSubscribersText(int count)
{
    return "Импорт: " + std::to_string(count) + " " + countWord(count, "абонент", "абонента", "абонентов");
}

std::string importedPaymentsText(int count)
{
    return "Импорт выписки: " + std::to_string(count) + " "
        + countWord(count, "платёж", "платежа", "платежей");
}

const char* countWord(int count, const char* one, const char* few, const char* many)
{
    const int n = std::abs(count) % 100;
    if (n >= 11 && n <= 14)
        return many;
    switch (n % 10) {
    case 1: return one;
    case 2:
    case 3:
    case 4: return few;
    default: return many;
    }
}

} // namespace statusText
