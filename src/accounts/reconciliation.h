#pragma once

// "Акт сверки расчётов": one subscriber's account over a run of months, as the ledger keeps it:
// per month the meter readings and the kilowatt-hours of the sheet, the charges, the money received
// (with the dates of the payments that came from the bank) and the balance at the month's end, and
// the balances the period opens and closes with, for a paper both sides sign.

#include "accounts/bank_journal.h"
#include "database/money.h"
#include "database/record_table.h"
#include "database/year_window.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace ledger {

struct ActMonth
{
    fields::YearMonth month;
    std::string startReading; // the sheet's texts as typed
    std::string endReading;
    std::string kwh; // kilowatt-hours to pay, as the sheet computes them
    // Balances are signed: above zero the subscriber owes, below zero an overpayment.
    Currency opening; // as the month's ledger starts (its start underpayment less overpayment)
    // False when the month does not start from the previous month's end (a carry into January
    // not made, a balance typed over): the paper shows the balance the ledger starts from.
    bool followsPrevious = true;
    Currency electricity; // B − 1
    Currency electricianPay; // B + 3
    Currency otherCharges; // B + 4, with the supplier-account charge B + 2
    Currency paid; // B + 6, B + 7 and B + 8: every income of the month
    std::vector<std::string> paymentDates; // dd.mm.yyyy of the bank's payments, in the journal's order
    Currency closing; // by the ledger's rule, rounded to kopecks as the ledger shows it
};

struct Act
{
    int record = 0;
    std::string number; // field 1, the personal account
    std::string name;
    std::string address; // the plot
    fields::YearMonth from;
    fields::YearMonth to;
    Currency opening;
    Currency closing;
    std::vector<ActMonth> months;
    // Column totals of the period.
    Currency electricity, electricianPay, otherCharges, paid;
};

// The act of a record over the months from … to (both held by the table's window, from not after
// to). Payment dates come from the bank journal's entries of the record, month and year whose
// subscriber is the record's name (a number given to someone else since is not theirs). Nothing for
// a record or a period the table does not hold.
std::optional<Act> reconciliation(const RecordTable& table, int record, fields::YearMonth from,
    fields::YearMonth to, const bank::Journal* journal = nullptr);

// Whether the record's month holds anything of its own: the current meter reading, the month's
// charge, or a charge or an income in the ledger.
bool monthHasData(const RecordTable& table, int record, fields::YearMonth month);

// The record's months with data, first and last, in time order across the window.
struct DataSpan
{
    fields::YearMonth first;
    fields::YearMonth last;
};
std::optional<DataSpan> dataSpan(const RecordTable& table, int record);

// "1 234,56": kopecks always, thousands set apart by blanks, the magnitude only.
std::string amountText(Currency amount);
// "31.12.2026" and "01.01.2026": the last and the first day of a month.
std::string monthEndDate(fields::YearMonth month);
std::string monthStartDate(fields::YearMonth month);
// "Задолженность на 31.12.2026: 1 234,56 р. (одна тысяча двести тридцать четыре рубля 56 копеек)",
// "Переплата на …" for a balance below zero, "Задолженность на …: 0,00 р. (ноль рублей 00 копеек)"
// for none.
std::string balanceSentence(Currency balance, const std::string& date);
// "Март 2026".
std::string monthCaption(fields::YearMonth month);

// The act's table as printed: a row per month (a balance the ledger starts a month from other than
// the previous month's end gets a row of its own before it), then the totals. Amounts to two
// decimals with their thousands apart, nothing for zero; the balance column says an overpayment
// with a minus; several payment dates stand one under the other.
constexpr int ActColumns = 10;
using ActRow = std::array<std::string, ActColumns>;
struct ActTable
{
    std::vector<ActRow> rows;
    std::vector<int> lines; // per row, the lines it takes (1, or the count of its payment dates)
    std::vector<char> emphasised; // the totals, and the balances the ledger starts from
};
ActTable actTable(const Act& act);

} // namespace ledger
