#include "documents/sheets.h"

namespace documents {

namespace {

int sheetsFor(int rows, int perSheet)
{
    return rows <= 0 ? 1 : (rows + perSheet - 1) / perSheet;
}

bool hasName(const RecordTable& table, int row)
{
    return !table.field(row, fields::FullName).empty();
}

// The first row without a name: where the list ends.
int endOfList(const RecordTable& table)
{
    int row = 1;
    while (row <= table.recordCount() && hasName(table, row))
        ++row;
    return row;
}

} // namespace

int reportMonthNumber(int reportMonth)
{
    return reportMonth > 100 ? reportMonth - 100 : reportMonth;
}

std::vector<std::string> lastReadings(const RecordTable& table, std::string_view yearText, int month)
{
    std::vector<std::string> readings(std::size_t(table.recordCount()) + 1);
    const fields::YearWindow& years = table.years();
    const std::optional<int> year = years.find(yearText);
    if (!year || month < 1 || month > 12)
        return readings;
    const int field = fields::baseOfMonth(*year, month) + fields::PreviousReading;
    for (int row = 1; row <= table.recordCount(); ++row) {
        std::string_view reading = table.field(row, field);
        // A start reading is there only when it was typed, or autofilled on leaving the month
        // before with the autofill on (never into January: December lives in the year before).
        // Without it the meter still reads what it read at the end of the last month that has a
        // reading, in this year or an earlier one.
        for (int earlier = years.ordinal({ *year, month }) - 1; reading.empty() && earlier >= 0; --earlier) {
            const fields::YearMonth at = years.at(earlier);
            reading = table.field(row, fields::baseOfMonth(at.year, at.month) + fields::CurrentReading);
        }
        readings[std::size_t(row)] = std::string(reading);
    }
    return readings;
}

int statementSheetCount(const RecordTable& table)
{
    return sheetsFor(table.recordCount(), StatementRowsPerSheet);
}

std::vector<StatementRow> statementRows(
    const RecordTable& table, const std::vector<std::string>& readings, int sheet)
{
    std::vector<StatementRow> rows;
    const int first = StatementRowsPerSheet * sheet - (StatementRowsPerSheet - 1);
    for (int row = first; row <= StatementRowsPerSheet * sheet && row >= 1; ++row) {
        if (!hasName(table, row))
            break;
        const std::string reading
            = std::size_t(row) < readings.size() ? readings[std::size_t(row)] : std::string();
        rows.push_back(
            { std::string(table.field(row, fields::Number)), std::string(table.field(row, fields::FullName)),
                std::string(table.field(row, fields::Address)), reading, std::string() });
    }
    return rows;
}

LedgerRow ledgerSumRow(const LedgerSums& sums)
{
    // The other-income column has no sum on paper.
    return { " ", "      Сумма столбцов:", sums[0], sums[1], sums[2], sums[4], sums[5], sums[6], sums[7], "",
        sums[10], sums[11] };
}

int ledgerSheetCount(const RecordTable& table)
{
    return std::max(
        sheetsFor(table.recordCount(), LedgerRowsPerSheet), sheetsFor(endOfList(table), LedgerRowsPerSheet));
}

std::vector<LedgerRow> ledgerRows(const RecordTable& table, int ledgerBase, const LedgerSums& sums, int sheet)
{
    std::vector<LedgerRow> rows;
    const int b = ledgerBase;
    // Without a month block the money columns stay empty rather than show directory fields.
    const bool monthBlock
        = b >= fields::ledgerBase(0, 1) && b <= fields::ledgerBase(fields::YearCount - 1, 12);
    const auto text = [&](int row, int f) { return std::string(table.field(row, f)); };
    const auto money
        = [&](int row, int offset) { return monthBlock ? text(row, b + offset) : std::string(); };
    const int first = LedgerRowsPerSheet * sheet - (LedgerRowsPerSheet - 1);
    for (int row = first; row <= LedgerRowsPerSheet * sheet && row >= 1; ++row) {
        if (!hasName(table, row)) {
            rows.push_back(ledgerSumRow(sums));
            break;
        }
        rows.push_back({ text(row, fields::Number), text(row, fields::FullName), money(row, 0), money(row, 1),
            money(row, -1), money(row, 3), money(row, 4), money(row, 5), money(row, 6), money(row, 8),
            money(row, 9), money(row, 10) });
    }
    return rows;
}

} // namespace documents
