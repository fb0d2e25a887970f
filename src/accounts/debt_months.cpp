#include "accounts/debt_months.h"

#include <algorithm>

namespace ledger {
namespace {

Currency amount(const RecordTable& table, int record, int field)
{
    return Currency::parseOrZero(table.field(record, field));
}

// What the month charged; a charge typed below zero (a correction) charges nothing here.
Currency charged(const RecordTable& table, int record, int base)
{
    Currency total;
    for (int field : { base - 1, base + 2, base + 3, base + 4 }) {
        const Currency value = amount(table, record, field);
        if (value > Currency())
            total = Currency::add(total, value).value_or(total);
    }
    return total;
}

} // namespace

DebtMonths debtMonths(const RecordTable& table, int record, const LedgerMonth& month)
{
    DebtMonths result;
    const Currency debt = amount(table, record, month.base + 9);
    if (!(debt > Currency()))
        return result;
    result.total = debt;
    const fields::YearWindow& years = table.years();
    Currency left = debt;
    for (int o = years.ordinal({ month.year, month.month }); years.holdsOrdinal(o) && left > Currency();
         --o) {
        const fields::YearMonth at = years.at(o);
        const int base = fields::ledgerBaseOfMonth(at.year, at.month);
        const Currency part = std::min(left, charged(table, record, base));
        left = Currency::subtract(left, part).value_or(Currency());
        if (!(left > Currency())) {
            if (part > Currency())
                result.months.push_back({ at, part, false });
            break;
        }
        // What is left came in from before this month; a month before it that ended without the
        // debt does not hold it, so it stays here.
        const bool earlierHeld = years.holdsOrdinal(o - 1)
            && amount(
                   table, record, fields::ledgerBaseOfMonth(years.at(o - 1).year, years.at(o - 1).month) + 9)
                > Currency();
        if (!earlierHeld) {
            result.months.push_back(
                { at, Currency::add(part, left).value_or(left), amount(table, record, base) > Currency() });
            break;
        }
        if (part > Currency())
            result.months.push_back({ at, part, false });
    }
    std::reverse(result.months.begin(), result.months.end());
    return result;
}

} // namespace ledger
