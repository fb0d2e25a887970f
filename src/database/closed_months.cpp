#include "database/closed_months.h"

#include "database/field_map.h"

#include <charconv>
#include <cstdio>

namespace closing {

namespace {

std::string monthDigits(fields::YearMonth month)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%04d", month.month, month.year);
    return text;
}

// "03.2027" at the start of `text`.
std::optional<fields::YearMonth> parseMonth(std::string_view text)
{
    if (text.size() < 7 || text[2] != '.')
        return std::nullopt;
    int month = 0;
    int year = 0;
    if (std::from_chars(text.data(), text.data() + 2, month).ptr != text.data() + 2
        || std::from_chars(text.data() + 3, text.data() + 7, year).ptr != text.data() + 7)
        return std::nullopt;
    if (month < 1 || month > 12 || year < fields::FirstBlockYear)
        return std::nullopt;
    return fields::YearMonth{ year, month };
}

std::optional<fields::YearMonth> afterPrefix(std::string_view note, std::string_view prefix)
{
    if (note.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    return parseMonth(note.substr(prefix.size()));
}

} // namespace

std::string closeNote(fields::YearMonth through)
{
    return "по " + monthDigits(through) + " включительно";
}

std::string reopenNote(fields::YearMonth from, std::string_view reason)
{
    std::string text = "с " + monthDigits(from) + "; причина: ";
    for (const char c : reason)
        text += c == '|' || c == '\n' || c == '\r' ? ' ' : c;
    return text;
}

std::optional<fields::YearMonth> closedThrough(const std::vector<changelog::Entry>& entries)
{
    std::optional<fields::YearMonth> through;
    for (const changelog::Entry& entry : entries) {
        if (entry.kind == CloseKind) {
            if (const std::optional<fields::YearMonth> month = afterPrefix(entry.note, "по "))
                through = month;
        } else if (entry.kind == ReopenKind) {
            if (const std::optional<fields::YearMonth> month = afterPrefix(entry.note, "с "))
                through = isClosed(through, *month) ? monthBefore(*month) : through;
        }
    }
    return through;
}

std::optional<fields::YearMonth> monthBefore(fields::YearMonth month)
{
    if (month.month > 1)
        return fields::YearMonth{ month.year, month.month - 1 };
    if (month.year <= fields::FirstBlockYear)
        return std::nullopt;
    return fields::YearMonth{ month.year - 1, 12 };
}

std::string monthWords(fields::YearMonth month)
{
    return std::string(fields::MonthNamesLower[static_cast<std::size_t>(month.month - 1)]) + ' '
        + std::to_string(month.year);
}

} // namespace closing
