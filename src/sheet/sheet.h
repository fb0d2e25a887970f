#pragma once

// The yearly sheet of one subscriber: twelve month rows of typed cells (elements 0 … 8 shown,
// element 9 the hidden month charge) taken from and stored into the subscriber's record.

#include "database/record_table.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace sheet {

constexpr int Months = 12;
constexpr int TypedElements = 10; // 0 … 8 shown, 9 hidden
constexpr int ShownElements = 9;
constexpr int ComputedElements = 8;

using MonthTexts = std::array<std::string, TypedElements>;
using SheetTexts = std::array<MonthTexts, Months>; // [m − 1][element]

// Field of element b of month m (1 … 12) of a year: the month base plus b.
constexpr int cellField(int year, int m, int b)
{
    return fields::baseOfMonth(year, m) + b;
}

// The first record whose full name equals the name exactly; `previous` when none does.
int findRecord(const RecordTable& table, std::string_view name, int previous);

// Elements 0 … 8 of the twelve months of a year, as stored; nothing for a year the table does not
// hold (the sheet stays empty then). Element 9 is left empty: the fill does not show it.
std::optional<SheetTexts> readYear(const RecordTable& table, int record, std::string_view yearText);

// Elements 0 … 9 of the twelve months into the record; a year the table does not hold writes
// nothing. The ledger's fields of the months are not touched.
void storeYear(RecordTable& table, int record, std::string_view yearText, const SheetTexts& texts);

} // namespace sheet
