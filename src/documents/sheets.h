#pragma once

// What goes on each sheet of the two long documents: the meter-reading statement (53 subscribers a
// sheet) and the ledger printout (33 rows a sheet, the column sums after the last subscriber).

#include "database/record_table.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace documents {

constexpr int StatementRowsPerSheet = 53;
constexpr int LedgerRowsPerSheet = 33;

// The month number of a month label's index (101 … 112 for January … December); any other value
// passes through unchanged and names no month.
int reportMonthNumber(int reportMonth);

// Statement: number, full name, address, the reading at the start of the month, and an empty
// column for the reading to be written in by hand.
using StatementRow = std::array<std::string, 5>;

// The last known readings of every record (index = row, 1 … RecordCount) for the month of the
// year: the month's "Последнее" cell, or when that is empty the "Текущее" of the nearest earlier
// month that has one, back to January of the table's first year; empty when there is none. A year or a month
// that is none of the table's gives an empty column, never the readings of some other month.
std::vector<std::string> lastReadings(const RecordTable& table, std::string_view yearText, int month);

int statementSheetCount(const RecordTable& table);
// Sheet n (1 …): records 53·n − 52 … 53·n, up to the first record without a name.
std::vector<StatementRow> statementRows(
    const RecordTable& table, const std::vector<std::string>& readings, int sheet);

// Ledger printout: number, name, start underpayment and overpayment, the month's electricity,
// electrician's pay, other charges, total due, paid in, other income, end underpayment and
// overpayment.
using LedgerRow = std::array<std::string, 12>;
// The ledger window's thirteen sum boxes, in their order.
using LedgerSums = std::array<std::string, 13>;

LedgerRow ledgerSumRow(const LedgerSums& sums);

// Sheets of the ledger printout: enough that the sum row, which follows the last subscriber, is
// always on one (a list that fills its last sheet exactly gets one more sheet for it).
int ledgerSheetCount(const RecordTable& table);
// Sheet n (1 …): records 33·n − 32 … 33·n; at the first record without a name the sum row comes
// and the sheet ends.
std::vector<LedgerRow> ledgerRows(
    const RecordTable& table, int ledgerBase, const LedgerSums& sums, int sheet);

} // namespace documents
