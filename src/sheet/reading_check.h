#pragma once

// "Проверка показаний": the months of a year in which the sheet charges something other than what
// the meters say. Each finding names the subscriber, the month, what is wrong and the values
// involved:
//   - a current reading below the previous one (the sheet then charges no consumption);
//   - a current reading without a previous one (the sheet then charges the whole meter);
//   - a previous reading that is not the month before's current one (across the new year too);
//   - no current reading while there are readings in earlier and in later months;
//   - a consumption more than three times the subscriber's usual month and at least 100 kWh more;
//   - consumption or street lighting without a tariff.

#include "database/record_table.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

enum class FindingKind {
    ReadingBelowPrevious = 0,
    NoPreviousReading,
    ReadingGap,
    MissingReading,
    SharpRise,
    NoTariff,
};
constexpr int FindingKinds = 6;

// "Показание меньше предыдущего", "Нет предыдущего показания", …
std::string_view findingText(FindingKind kind);

struct Finding
{
    int record = 0;
    int month = 0; // 1 … 12 of the year checked
    FindingKind kind = FindingKind::ReadingBelowPrevious;
    std::string values; // the values involved, as the user reads them
};

struct ReadingCheck
{
    std::vector<Finding> findings; // by record, then month, then kind
    std::array<int, FindingKinds> counts{}; // findings of each kind
};

// The usual month of a subscriber is the median consumption of the last twelve months with both
// readings before the month (going back into earlier years); fewer than three such months say too
// little, and no rise is looked for.
constexpr int UsualMonths = 12;
constexpr int FewestUsualMonths = 3;

// Every record's months of the year; month 1 … 12 checks that month alone, 0 all twelve. A year the
// table does not hold finds nothing.
ReadingCheck checkReadings(const RecordTable& table, int year, int month);
// The same for one record.
ReadingCheck checkRecordReadings(const RecordTable& table, int record, int year, int month);

} // namespace sheet
