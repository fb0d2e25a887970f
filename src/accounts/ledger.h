#pragma once

// The personal-account ledger of one month: every subscriber's balances brought forward, the
// month's charges, the total due, the money received and the balances carried, as the ledger
// window shows them, with the rules that take them from the record table, compute them and put
// them back.
//
// A month's ledger lives in the month's block, addressed from its base B (the start underpayment):
//   B − 1 electricity charge (the sheet's month total)   B + 6  money paid in
//   B     start underpayment                             B + 7  income to the supplier account
//   B + 1 start overpayment                              B + 8  other income
//   B + 2 charge to the supplier account                 B + 9  end underpayment
//   B + 3 electrician's pay                              B + 10 end overpayment
//   B + 4 other charges                                  B + 11 supplier-account sum
//   B + 5 total due
// Amounts are texts with a decimal comma and two decimals; zero is the empty text.

#include "database/money.h"
#include "database/record_table.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ledger {

// Grid columns: 0 is the subscriber, 1 … 13 are amounts.
enum Column : int {
    NameColumn = 0,
    StartUnderpayment = 1,
    StartOverpayment = 2,
    Electricity = 3,
    SupplierCharge = 4, // kept, but not shown
    ElectricianPay = 5,
    OtherCharges = 6,
    TotalDue = 7,
    PaidIn = 8,
    SupplierIncome = 9, // kept, but not shown
    OtherIncome = 10,
    EndUnderpayment = 11,
    EndOverpayment = 12,
    SupplierSum = 13, // computed, not shown
};
constexpr int Columns = 14;
constexpr int SumBoxes = 13; // box j holds the total of column j + 1

// Columns whose cells the user types into (4 and 9 have no width, so no click reaches them).
bool isEditableColumn(int column);
// Columns the user sees.
bool isShownColumn(int column);

// The month the ledger shows: a year text and a month name, with its base. A year the table does
// not hold, or a month that is none of the twelve, gives January of the table's first year.
struct LedgerMonth
{
    int year = fields::FirstBlockYear;
    int month = 1; // 1 = January
    int base = fields::ledgerBaseOfMonth(fields::FirstBlockYear, 1);
    bool fellBack = false;
};
LedgerMonth findLedgerMonth(
    const fields::YearWindow& years, std::string_view yearText, std::string_view monthName);
LedgerMonth ledgerMonth(int year, int month);

// The year and month the ledger showed when it was last closed, from their stored texts (the year
// text and the month index 0 … 11). Nothing when either is missing or not valid: the two belong
// together, and a month without its year (or the other way round) says nothing reliable.
struct LedgerPlace
{
    int year = fields::FirstBlockYear;
    int monthIndex = 0; // 0 = January
};
std::optional<LedgerPlace> rememberedPlace(
    const fields::YearWindow& years, std::string_view yearText, std::string_view monthIndexText);

using Row = std::array<std::string, Columns>;

struct Grid
{
    std::vector<Row> rows; // row r shows record r + 1
    std::vector<char> supplierSumNegative; // per row: column 13 below zero
    std::array<std::string, SumBoxes> sums{}; // the sums row tS(0 … 12)

    // Per row: the supplier-account sum the month starts from, as the table holds it.
    std::vector<Currency> previousSupplierSum;
    // Per row: cells changed since the row was last stored. While a month is shown only the
    // ledger writes its fields, so a row stored and unchanged since needs no writing.
    std::vector<char> unstored;
};

// A cell typed into (its row is written at the next store).
void setCell(Grid& grid, int row, int column, std::string text);

// Normalises the stored amounts of every record's month (two decimals, "0,00" to empty), writes
// them back into the table, and makes one grid row per record. The computed columns start empty.
void fill(RecordTable& table, const LedgerMonth& month, Grid& grid);

// Computes the total due, the end balances and the supplier-account sum of every row from the
// row's own cells (and the supplier-account sum it starts from), then the column totals in their
// plain form (formatSums makes them what the sums row shows).
void compute(Grid& grid);

// The sums row as shown: amounts to two decimals, zero empty (the supplier-account sum, box 12,
// keeps its plain form).
void formatSums(std::array<std::string, SumBoxes>& sums);

// Writes every row back into its record, then carries the end balances and the supplier-account
// sum into the next month's start. December carries nothing: the next January belongs to the
// next year and is reached through the carry-over window.
void store(RecordTable& table, const LedgerMonth& month, Grid& grid);

// What a typed amount becomes in its cell: blanks around it dropped, two decimals. Nothing when the
// text is not an amount; the empty text is a valid (empty) amount.
std::optional<std::string> typedAmount(std::string_view typed);

// The first full stop of a text typed into an amount becomes a decimal comma.
std::string withDecimalComma(std::string_view text);

struct Cell
{
    int row = 0;
    int column = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
};

// Where Enter goes after a committed cell: down the column, or right along the row's editable
// columns and on to the next row's first one. Nothing at the end of the ledger.
std::optional<Cell> cellAfterEnter(Cell current, int rowCount, bool movesDown);

// Rows (0-based) of the records whose full name contains the text, letter case ignored.
std::vector<int> findRows(const RecordTable& table, std::string_view text);

// The December end balances that the carry-over window offers for the next January.
struct CarryOverRow
{
    std::string subscriber;
    std::string underpayment;
    std::string overpayment;
};
std::vector<CarryOverRow> carryOverRows(const Grid& decemberGrid);

// Writes the balances, exactly as given, as the start balances of January of the year.
void transferToJanuary(RecordTable& table, int year, const std::vector<CarryOverRow>& rows);

} // namespace ledger
