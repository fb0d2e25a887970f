// The texts that dates and times show in a cell, from a workbook's serial numbers and ISO texts,
// and which number formats show dates.

#include "platform/workbook_reader_parts.h"

#include "platform/cell_address.h"

#include <cmath>
#include <cstdio>

namespace workbook::reading {
namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string twoDigits(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string dateText(int year, int month, int day)
{
    return twoDigits(day) + "." + twoDigits(month) + "." + std::to_string(year);
}

std::string timeText(int hours, int minutes, int seconds)
{
    return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
}

} // namespace

// A date serial number as the program's Russian desktop shows a date value: "DD.MM.YYYY", with
// "H:MM:SS" after it when there is a time of day, the time alone for a time without a date.
std::string serialDateText(double serial, bool base1904)
{
    if (serial < 0 || serial > 2958465.0) // up to 31.12.9999
        return workbook::generalNumberText(serial);
    long long days = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - double(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // Day 0 of the usual 1900 system is no date: a time of day alone.
    const bool hasDate = base1904 || days != 0;
    std::string text;
    if (hasDate) {
        long long unixDays;
        if (base1904)
            unixDays = days - 24107; // 1904-01-01
        else if (days >= 61)
            unixDays = days - 25569; // 1899-12-30, past the spreadsheet's 29.02.1900
        else
            unixDays = days - 25568;
        int year, month, day;
        civilFromDays(unixDays, year, month, day);
        text = dateText(year, month, day);
    }
    if (seconds != 0 || !hasDate) {
        if (!text.empty())
            text += ' ';
        text += timeText(int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
    }
    return text;
}

// "2024-03-05", "2024-03-05T10:20:30" or "2024-03-05 10:20:30" as shown dates.
std::string isoDateText(std::string_view iso)
{
    int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
    const std::string text(iso);
    const int fields = std::sscanf(
        text.c_str(), "%4d-%2d-%2d%*1[T ]%2d:%2d:%2d", &year, &month, &day, &hours, &minutes, &seconds);
    if (fields < 3)
        return text;
    std::string shown = dateText(year, month, day);
    if (fields >= 5 && (hours != 0 || minutes != 0 || seconds != 0))
        shown += ' ' + timeText(hours, minutes, seconds);
    return shown;
}

std::string timeOnlyText(std::string_view hms)
{
    int hours = 0, minutes = 0, seconds = 0;
    const std::string text(hms);
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d", &hours, &minutes, &seconds) != 3)
        return text;
    return timeText(hours, minutes, seconds);
}

bool isBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47)
        || (id >= 50 && id <= 58);
}

// A format code shows a date or a time when, outside quoted texts, escaped characters and
// bracketed parts such as colours, it uses a day, month, year, hour or second.
bool isDateFormatCode(std::string_view code)
{
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted) {
            quoted = c != '"';
            continue;
        }
        switch (c) {
        case '"': quoted = true; break;
        case '\\':
        case '_':
        case '*': ++i; break;
        case '[': {
            const std::size_t close = code.find(']', i);
            // Elapsed time ([h]:mm) is a time all the same.
            const std::string_view inside
                = code.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            if (!inside.empty()
                && (inside[0] == 'h' || inside[0] == 'H' || inside[0] == 'm' || inside[0] == 'M'
                    || inside[0] == 's' || inside[0] == 'S'))
                return true;
            if (close == std::string_view::npos)
                return false;
            i = close;
            break;
        }
        case 'd':
        case 'D':
        case 'm':
        case 'M':
        case 'y':
        case 'Y':
        case 'h':
        case 'H':
        case 's':
        case 'S': return true;
        default: break;
        }
    }
    return false;
}

} // namespace workbook::reading
