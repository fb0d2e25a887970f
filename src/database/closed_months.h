#pragma once

// Closed months: once the treasurer has closed the months up to one of them, their readings,
// tariffs and ledger entries no longer change, unless a month is opened again for a correction
// with a reason. Both are entries of the change journal, so that they are signed like every other
// change; the months closed now are the ones its last such entry names.
//   запись|31.03.2027 18:00:00|ivan|Закрытие месяцев
//   примечание|по 03.2027 включительно
//   запись|02.04.2027 09:12:00|ivan|Открытие месяца для исправления
//   примечание|с 02.2027; причина: <what the user typed>

#include "database/change_log.h"
#include "database/year_window.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace closing {

inline constexpr const char* CloseKind = "Закрытие месяцев";
inline constexpr const char* ReopenKind = "Открытие месяца для исправления";

// The note of a closure entry, and of a reopening with its reason on one line ("|" and line
// breaks of the reason become blanks: the journal's lines take neither).
std::string closeNote(fields::YearMonth through);
std::string reopenNote(fields::YearMonth from, std::string_view reason);

// The last month closed after these entries, in order; none when no month is closed.
std::optional<fields::YearMonth> closedThrough(const std::vector<changelog::Entry>& entries);

// The month before: every month up to it stays closed when `from` is opened again; none before
// January 2020.
std::optional<fields::YearMonth> monthBefore(fields::YearMonth month);

inline bool isClosed(const std::optional<fields::YearMonth>& through, fields::YearMonth month)
{
    return through && month <= *through;
}

// "март 2027".
std::string monthWords(fields::YearMonth month);

} // namespace closing
