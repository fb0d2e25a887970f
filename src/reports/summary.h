#pragma once

// "Сводка за месяц": the association's totals of a month and of the year up to it, for the
// general meeting. The energy and its money are the sheet's own calculation of every subscriber's
// year; the other charges, the money received and the balances are the ledger's fields as its last
// store left them.

#include "database/money.h"
#include "database/record_table.h"
#include "reports/supplier_figures.h"

#include <array>
#include <optional>

namespace reports {

struct Figures
{
    int withReadings = 0; // subscribers with a current reading
    Currency consumption; // D: by the meters, kWh
    Currency lighting; // S: street lighting, kWh
    Currency losses; // L, kWh
    Currency toPay; // K: kWh to pay for
    Currency energyMoney; // P, roubles
    Currency service; // G: network service, roubles
    Currency charged; // Z: total charged for electricity, roubles
    Currency otherCharges; // electrician's pay, other charges and the supplier account's charge
    Currency received; // money paid in and other income
    Currency debt; // end underpayments
    Currency overpayment; // end overpayments
};

struct YearSummary
{
    std::array<Figures, 12> months; // [m − 1]
    // Subscribers with a current reading in at least one month from January to month m.
    std::array<int, 12> withReadingsSoFar{};
};

// Every record's year; an empty summary for a year the table does not hold.
YearSummary summariseYear(const RecordTable& table, int year);

// January to month m added up. The debt and the overpayment are those at the end of month m.
Figures yearSoFar(const YearSummary& summary, int month);

// The supplier's figures against what the subscribers were charged: the kWh on the association's
// common meter against the kWh to pay, the supplier's bill against the money for energy (the
// network service stays with the association). For the year so far, each figure counts the months
// in which it was typed, and the subscribers' charges of those same months.
struct SupplierComparison
{
    std::optional<Currency> supplierKwh; // none: not typed for any month counted
    Currency subscribersKwh;
    std::optional<Currency> supplierBill;
    Currency subscribersMoney;
};
SupplierComparison compareMonth(
    const YearSummary& summary, const SupplierFigures& figures, int year, int month);
SupplierComparison compareYearSoFar(
    const YearSummary& summary, const SupplierFigures& figures, int year, int month);

// How much of the supplier's figures the subscribers' charges leave uncovered, and what share of the
// supplier's figure that is, in percent (none when that figure is 0).
struct Uncovered
{
    std::optional<Currency> kwh;
    std::optional<double> kwhPercent;
    std::optional<Currency> roubles;
    std::optional<double> roublesPercent;
};
Uncovered uncovered(const SupplierComparison& comparison);

// The month whose summary is wanted first: the last month of the year in which someone has a
// current reading; January when nobody has one.
int latestMonthWithReadings(const RecordTable& table, int year);

} // namespace reports
