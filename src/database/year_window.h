#pragma once

// The eight years a database holds. A record has eight year blocks; block k holds the year y with
// k = (y − 2020) mod 8, so the file holds a window of eight consecutive years [first, first + 7].
// When the window moves on by a year, the year it drops gives its block to the year it takes in,
// and every other year keeps its fields. A file whose window starts in 2020 is the file as every
// copy of the program has always written it.
//
// The first year is kept in the file itself, in field 2128 of every record (a field that held
// nothing before): four digits once the window has moved, empty while it starts in 2020.

#include "database/field_map.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace fields {

constexpr int FirstBlockYear = 2020; // the year of block 0 in the first window
constexpr int LastFirstYear = 2100; // the latest first year field 2128 may name
constexpr int WindowField = PerRecord; // field 2128
constexpr int WindowMonths = YearCount * 12;

// The block of any year, held or not.
constexpr int yearBlock(int year)
{
    return ((year - FirstBlockYear) % YearCount + YearCount) % YearCount;
}

// First field of month m (1 … 12) of a year; the same fields whatever the window, since a year
// keeps its block for as long as it is held.
constexpr int baseOfMonth(int year, int m)
{
    return monthBase(yearBlock(year), m);
}

constexpr int ledgerBaseOfMonth(int year, int m)
{
    return baseOfMonth(year, m) + LedgerOffset;
}

// Leap years by the Gregorian rule.
constexpr bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "2028" for 2028: the year as the selectors, the sidecar files and the messages write it.
std::string yearText(int year);

// A year written as four digits and nothing else.
std::optional<int> parseYear(std::string_view text);

// A year as the side files beside the database write it: four digits naming a year that some
// window may hold (2020 … 2107), so that months kept from earlier windows stay readable.
std::optional<int> parseStoredYear(std::string_view text);

// A month of a held year, in time order across the window.
struct YearMonth
{
    int year = FirstBlockYear;
    int month = 1; // 1 … 12
    friend bool operator==(const YearMonth&, const YearMonth&) = default;
    friend auto operator<=>(const YearMonth&, const YearMonth&) = default;
};

class YearWindow
{
public:
    constexpr YearWindow() = default;
    // A first year before 2020 or after 2100 gives the first window.
    explicit constexpr YearWindow(int first)
        : m_first(first >= FirstBlockYear && first <= LastFirstYear ? first : FirstBlockYear)
    { }

    constexpr int first() const { return m_first; }
    constexpr int last() const { return m_first + YearCount - 1; }
    constexpr bool holds(int year) const { return year >= first() && year <= last(); }
    constexpr bool holds(YearMonth m) const { return holds(m.year) && m.month >= 1 && m.month <= 12; }
    // The held year nearest to a year: a year the window has moved past gives the first one.
    constexpr int nearest(int year) const { return year < first() ? first() : year > last() ? last() : year; }

    // The eight years in time order.
    std::array<int, YearCount> years() const;
    // The held year that lives in block k (0 … 7).
    constexpr int yearOfBlock(int k) const
    {
        return first() + ((k - yearBlock(first())) % YearCount + YearCount) % YearCount;
    }
    // The year before or after, while the window holds it.
    std::optional<int> previous(int year) const;
    std::optional<int> next(int year) const;

    // A held year from its text: exactly four digits naming one of the eight years.
    std::optional<int> find(std::string_view text) const;

    // Months numbered in time order: 0 = January of the first year … 95 = December of the last.
    constexpr int ordinal(YearMonth m) const { return (m.year - first()) * 12 + m.month - 1; }
    constexpr YearMonth at(int ordinal) const { return { first() + ordinal / 12, ordinal % 12 + 1 }; }
    constexpr bool holdsOrdinal(int ordinal) const { return ordinal >= 0 && ordinal < WindowMonths; }

    // The window a year later: the first year dropped, the year after the last taken in.
    constexpr YearWindow movedOn() const { return YearWindow(first() + 1); }
    constexpr bool canMoveOn() const { return first() < LastFirstYear; }

    // Field 2128 as every record carries it: empty for the first window, the first year otherwise.
    std::string fieldText() const;
    // The window a loaded table names: the latest valid first year found in field 2128 of its
    // records (texts that are no such year are someone else's and are ignored).
    static std::optional<int> firstYearIn(std::string_view fieldText);

    friend constexpr bool operator==(const YearWindow&, const YearWindow&) = default;

private:
    int m_first = FirstBlockYear;
};

} // namespace fields
