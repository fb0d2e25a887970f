#include "accounts/reconciliation.h"

#include "documents/amount_words.h"
#include "sheet/sheet_calculation.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace ledger {

namespace {

// Checked sums whose overflow (a cell of absurd size) counts as nothing added, as an unreadable
// cell does.
Currency plus(Currency a, Currency b)
{
    return Currency::add(a, b).value_or(a);
}

Currency minus(Currency a, Currency b)
{
    return Currency::subtract(a, b).value_or(a);
}

Currency amountAt(const RecordTable& table, int record, int field)
{
    return Currency::parseOrZero(table.field(record, field));
}

int daysIn(fields::YearMonth m)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return m.month == 2 && fields::isLeapYear(m.year) ? 29 : days[m.month - 1];
}

std::string dayDate(int day, fields::YearMonth m)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, m.month, m.year);
    return text;
}

// The sheet's texts of a year, worked out once for all its months.
struct YearSheet
{
    sheet::SheetTexts typed;
    sheet::SheetComputation computed;
};

} // namespace

bool monthHasData(const RecordTable& table, int record, fields::YearMonth month)
{
    // The month's own reading or charge; the tariff, the percentages and the previous reading are
    // the sheet's settings carried into months that have seen nothing yet.
    const int base = fields::baseOfMonth(month.year, month.month);
    for (int b : { fields::CurrentReading, fields::MonthCharge }) {
        if (!table.field(record, base + b).empty())
            return true;
    }
    // The balances carried in from before count only with something of the month's own: a
    // balance carried on alone into every later month is no data of theirs.
    const int ledgerBase = base + fields::LedgerOffset;
    for (int offset : { 2, 3, 4, 6, 7, 8 }) {
        if (!Currency::parseOrZero(table.field(record, ledgerBase + offset)).isZero())
            return true;
    }
    return false;
}

std::optional<DataSpan> dataSpan(const RecordTable& table, int record)
{
    if (record < 1 || record > table.recordCount())
        return std::nullopt;
    const fields::YearWindow& years = table.years();
    std::optional<DataSpan> span;
    for (int n = 0; n < fields::WindowMonths; ++n) {
        const fields::YearMonth m = years.at(n);
        if (!monthHasData(table, record, m))
            continue;
        if (!span)
            span = DataSpan{ m, m };
        span->last = m;
    }
    return span;
}

std::optional<Act> reconciliation(const RecordTable& table, int record, fields::YearMonth from,
    fields::YearMonth to, const bank::Journal* journal)
{
    const fields::YearWindow& years = table.years();
    if (record < 1 || record > table.recordCount() || !years.holds(from) || !years.holds(to) || to < from)
        return std::nullopt;

    Act act;
    act.record = record;
    act.number = std::string(table.field(record, fields::Number));
    act.name = std::string(table.field(record, fields::FullName));
    act.address = std::string(table.field(record, fields::Address));
    act.from = from;
    act.to = to;

    // The bank's payments of the record, by month.
    std::map<fields::YearMonth, std::vector<std::string>> dates;
    if (journal) {
        for (const bank::JournalEntry& entry : journal->entries()) {
            if (entry.record == record && entry.subscriber == act.name)
                dates[{ entry.year, entry.month }].push_back(entry.key.date);
        }
    }

    std::map<int, YearSheet> sheets;
    const auto sheetOf = [&](int year) -> const YearSheet* {
        auto found = sheets.find(year);
        if (found == sheets.end()) {
            const std::optional<sheet::SheetTexts> typed
                = sheet::readYear(table, record, fields::yearText(year));
            if (!typed)
                return nullptr;
            found = sheets.emplace(year, YearSheet{ *typed, sheet::computeSheet(*typed) }).first;
        }
        return &found->second;
    };

    for (int n = years.ordinal(from); n <= years.ordinal(to); ++n) {
        const fields::YearMonth m = years.at(n);
        const int b = fields::ledgerBaseOfMonth(m.year, m.month);
        ActMonth row;
        row.month = m;
        if (const YearSheet* s = sheetOf(m.year)) {
            const auto& typed = s->typed[std::size_t(m.month - 1)];
            row.startReading = typed[fields::PreviousReading];
            row.endReading = typed[fields::CurrentReading];
            row.kwh = s->computed.shown[std::size_t(m.month)][sheet::EnergyToPay];
        }
        row.opening = minus(amountAt(table, record, b), amountAt(table, record, b + 1));
        row.electricity = amountAt(table, record, b - 1);
        row.electricianPay = amountAt(table, record, b + 3);
        row.otherCharges = plus(amountAt(table, record, b + 4), amountAt(table, record, b + 2));
        row.paid = plus(plus(amountAt(table, record, b + 6), amountAt(table, record, b + 7)),
            amountAt(table, record, b + 8));
        const Currency due
            = plus(plus(plus(row.opening, row.electricity), row.electricianPay), row.otherCharges);
        row.closing = minus(due, row.paid).round2();
        if (const auto found = dates.find(m); found != dates.end())
            row.paymentDates = found->second;

        if (act.months.empty())
            act.opening = row.opening;
        else
            row.followsPrevious = row.opening == act.months.back().closing;
        act.electricity = plus(act.electricity, row.electricity);
        act.electricianPay = plus(act.electricianPay, row.electricianPay);
        act.otherCharges = plus(act.otherCharges, row.otherCharges);
        act.paid = plus(act.paid, row.paid);
        act.closing = row.closing;
        act.months.push_back(std::move(row));
    }
    return act;
}

std::string amountText(Currency amount)
{
    const std::int64_t raw = amount.round2().raw();
    const std::int64_t kopecks = (raw < 0 ? -raw : raw) / (Currency::Scale / 100);
    const std::string whole = std::to_string(kopecks / 100);
    std::string text;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            text += ' ';
        text += whole[i];
    }
    const int cents = int(kopecks % 100);
    text += ',';
    text += char('0' + cents / 10);
    text += char('0' + cents % 10);
    return text;
}

std::string monthEndDate(fields::YearMonth month)
{
    return dayDate(daysIn(month), month);
}

std::string monthStartDate(fields::YearMonth month)
{
    return dayDate(1, month);
}

std::string balanceSentence(Currency balance, const std::string& date)
{
    const std::string what = balance.round2().isNegative() ? "Переплата" : "Задолженность";
    return what + " на " + date + ": " + amountText(balance) + " р. (" + documents::roublesInWords(balance)
        + ")";
}

namespace {

std::string cellAmount(Currency amount)
{
    if (amount.round2().isZero())
        return {};
    return (amount.round2().isNegative() ? "-" : "") + amountText(amount);
}

std::string balanceCell(Currency balance)
{
    return balance.round2().isZero() ? std::string("0,00") : cellAmount(balance);
}

} // namespace

ActTable actTable(const Act& act)
{
    ActTable table;
    const auto add = [&table](ActRow row, int lines, bool emphasised) {
        table.rows.push_back(std::move(row));
        table.lines.push_back(lines);
        table.emphasised.push_back(emphasised ? 1 : 0);
    };
    Currency kwh;
    for (const ActMonth& m : act.months) {
        if (!m.followsPrevious) {
            ActRow note{};
            note[0] = "Остаток на\n" + monthStartDate(m.month);
            note[9] = balanceCell(m.opening);
            add(note, 2, true);
        }
        std::string dates;
        for (const std::string& date : m.paymentDates)
            dates += (dates.empty() ? "" : "\n") + date;
        kwh = plus(kwh, Currency::parseOrZero(m.kwh));
        add({ monthCaption(m.month), m.startReading, m.endReading, m.kwh, cellAmount(m.electricity),
                cellAmount(m.electricianPay), cellAmount(m.otherCharges), cellAmount(m.paid), dates,
                balanceCell(m.closing) },
            std::max<int>(1, int(m.paymentDates.size())), false);
    }
    add({ "Итого", "", "", kwh.isZero() ? std::string() : amountText(kwh), cellAmount(act.electricity),
            cellAmount(act.electricianPay), cellAmount(act.otherCharges), cellAmount(act.paid), "",
            balanceCell(act.closing) },
        1, true);
    return table;
}

std::string monthCaption(fields::YearMonth month)
{
    return std::string(fields::MonthNames[std::size_t(month.month - 1)]) + " " + fields::yearText(month.year);
}

} // namespace ledger
