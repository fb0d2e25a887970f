#pragma once

// Where each datum of a subscriber lives among the fields of its record.

#include <array>
#include <optional>
#include <string_view>

namespace fields {

constexpr int MaxRecords = 3001; // rows 1 … 3001 hold records; row 0 never does
constexpr int MaxField = 2200; // fields 0 … 2200 exist in memory
constexpr int PerRecord = 2128; // fields 1 … 2128 are stored in the file
constexpr int YearCount = 8;
constexpr int YearBlock = 265;
constexpr int MonthBlock = 22;

// Directory fields.
constexpr int Number = 1;
constexpr int FullName = 2;
constexpr int Address = 3;
constexpr int Telephone = 4;
constexpr int MeterType = 5;
constexpr int Note = 6;
constexpr int Unused = 7;

// Offsets inside a month block.
constexpr int Date = 0;
constexpr int CurrentReading = 1;
constexpr int PreviousReading = 2;
constexpr int LightingPower = 3;
constexpr int LightingHours = 4;
constexpr int LightingDays = 5;
constexpr int LossesPercent = 6;
constexpr int Tariff = 7;
constexpr int ServicePercent = 8;
constexpr int MonthCharge = 9;
constexpr int LedgerOffset = 10;

inline constexpr std::array<std::string_view, 12> MonthNames = { "Январь", "Февраль", "Март", "Апрель", "Май",
    "Июнь", "Июль", "Август", "Сентябрь", "Октябрь", "Ноябрь", "Декабрь" };
// The same in lower case, as a month is named inside a sentence ("за март 2027").
inline constexpr std::array<std::string_view, 12> MonthNamesLower = { "январь", "февраль", "март", "апрель",
    "май", "июнь", "июль", "август", "сентябрь", "октябрь", "ноябрь", "декабрь" };

// Month number 1 … 12 of a month name, by exact comparison.
inline std::optional<int> monthNumber(std::string_view monthName)
{
    for (int m = 0; m < 12; ++m)
        if (MonthNames[m] == monthName)
            return m + 1;
    return std::nullopt;
}

// First field of month m (1 … 12) in year block k (0 … 7): in the first window, 2020-January = 8 and
// 2027-December = 2105. Which year a block holds is the year window's to say (year_window.h).
constexpr int monthBase(int k, int m)
{
    return 8 + YearBlock * k + MonthBlock * (m - 1);
}

// The ledger's first field of the month (the start underpayment).
constexpr int ledgerBase(int k, int m)
{
    return monthBase(k, m) + LedgerOffset;
}

} // namespace fields
