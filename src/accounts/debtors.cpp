#include "accounts/debtors.h"

#include <algorithm>

namespace ledger {
namespace {

Currency amount(const RecordTable& table, int record, int field)
{
    return Currency::parseOrZero(table.field(record, field));
}

// Sums of amounts no ledger can hold leave out what would overflow, as the sheet's totals do.
Currency plus(Currency a, Currency b)
{
    return Currency::add(a, b).value_or(a);
}

Currency sum(std::initializer_list<Currency> values)
{
    Currency total;
    for (Currency value : values)
        total = plus(total, value);
    return total;
}

int monthsInDebtBefore(const RecordTable& table, int record, const LedgerMonth& month)
{
    int count = 0;
    const fields::YearWindow& years = table.years();
    for (int o = years.ordinal({ month.year, month.month }) - 1; years.holdsOrdinal(o); --o) {
        const fields::YearMonth before = years.at(o);
        if (amount(table, record, fields::ledgerBaseOfMonth(before.year, before.month) + 9) > Currency())
            ++count;
        else
            break;
    }
    return count;
}

} // namespace

DebtorsList debtorsList(const RecordTable& table, const LedgerMonth& month, Currency threshold)
{
    DebtorsList list;
    const int b = month.base;
    for (int record = 1; record <= table.recordCount(); ++record) {
        const Currency debt = amount(table, record, b + 9);
        if (!(debt > threshold))
            continue;
        Debtor d;
        d.record = record;
        d.debt = debt;
        d.opening
            = Currency::subtract(amount(table, record, b), amount(table, record, b + 1)).value_or(Currency());
        d.charges = sum({ amount(table, record, b - 1), amount(table, record, b + 2),
            amount(table, record, b + 3), amount(table, record, b + 4) });
        d.paid = sum(
            { amount(table, record, b + 6), amount(table, record, b + 7), amount(table, record, b + 8) });
        d.monthsInDebtBefore = monthsInDebtBefore(table, record, month);
        list.opening = plus(list.opening, d.opening);
        list.charges = plus(list.charges, d.charges);
        list.paid = plus(list.paid, d.paid);
        list.debt = plus(list.debt, d.debt);
        list.debtors.push_back(d);
    }
    std::stable_sort(list.debtors.begin(), list.debtors.end(),
        [](const Debtor& a, const Debtor& b) { return a.debt > b.debt; });
    return list;
}

std::optional<Currency> typedThreshold(std::string_view typed)
{
    const std::optional<std::string> text = typedAmount(withDecimalComma(typed));
    if (!text)
        return std::nullopt;
    const Currency value = Currency::parseOrZero(*text);
    if (value.isNegative())
        return std::nullopt;
    return value;
}

} // namespace ledger
