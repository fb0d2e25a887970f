#include "accounts/ledger.h"

#include "text/cp1251.h"
#include "text/trim.h"

#include <algorithm>
#include <charconv>

namespace ledger {

namespace {

// The stored amounts of a month that the ledger shows, as offsets from the base, in the order
// they are normalised.
constexpr std::array<int, 9> StoredOffsets = { -1, 0, 1, 2, 3, 4, 6, 7, 8 };

// Which field each grid column is taken from (column 0 and the computed columns have none).
constexpr std::array<std::optional<int>, Columns> FilledFrom
    = { std::nullopt, 0, 1, -1, 2, 3, 4, std::nullopt, 6, 7, 8, std::nullopt, std::nullopt, std::nullopt };

// Which field each grid column is written back to. The supplier-account columns are kept as the
// table has them: the ledger never changes them.
constexpr std::array<std::optional<int>, Columns> StoredTo
    = { std::nullopt, 0, 1, -1, std::nullopt, 3, 4, 5, 6, std::nullopt, 8, 9, 10, std::nullopt };

constexpr int TotalDueOffset = 5;
constexpr int EndUnderpaymentOffset = 9;
constexpr int EndOverpaymentOffset = 10;
constexpr int SupplierSumOffset = 11;

constexpr std::array<int, 4> EnterColumns = { ElectricianPay, OtherCharges, PaidIn, OtherIncome };

void setIfChanged(RecordTable& table, int row, int field, std::string_view text)
{
    if (table.field(row, field) != text)
        table.set(row, field, text);
}

// A stored amount as the ledger keeps it.
std::string normalisedAmount(std::string_view text)
{
    std::string result = twoDecimalText(text);
    if (result == "0,00")
        result.clear();
    return result;
}

std::string lowerCp1251(std::string_view utf8)
{
    std::string bytes = cp1251::encode(utf8);
    for (char& c : bytes)
        c = static_cast<char>(cp1251::lowerByte(static_cast<unsigned char>(c)));
    return bytes;
}

// A running column total; once it overflows it stays failed and its box shows nothing.
struct Total
{
    Currency sum;
    bool failed = false;

    void add(Currency value)
    {
        if (failed)
            return;
        if (const auto next = Currency::add(sum, value))
            sum = *next;
        else
            failed = true;
    }
};

} // namespace

bool isEditableColumn(int column)
{
    return column == SupplierCharge || column == ElectricianPay || column == OtherCharges || column == PaidIn
        || column == SupplierIncome || column == OtherIncome;
}

bool isShownColumn(int column)
{
    return column >= 0 && column < Columns && column != SupplierCharge && column != SupplierIncome
        && column != SupplierSum;
}

LedgerMonth ledgerMonth(int year, int month)
{
    LedgerMonth result;
    result.year = year;
    result.month = month;
    result.base = fields::ledgerBaseOfMonth(year, month);
    return result;
}

LedgerMonth findLedgerMonth(
    const fields::YearWindow& years, std::string_view yearText, std::string_view monthName)
{
    const std::optional<int> year = years.find(yearText);
    const std::optional<int> m = fields::monthNumber(monthName);
    if (!year || !m) {
        LedgerMonth fallBack = ledgerMonth(years.first(), 1);
        fallBack.fellBack = true;
        return fallBack;
    }
    return ledgerMonth(*year, *m);
}

std::optional<LedgerPlace> rememberedPlace(
    const fields::YearWindow& years, std::string_view yearText, std::string_view monthIndexText)
{
    const std::optional<int> k = years.find(yearText);
    int index = -1;
    const char* end = monthIndexText.data() + monthIndexText.size();
    const auto [stop, error] = std::from_chars(monthIndexText.data(), end, index);
    if (!k || monthIndexText.empty() || error != std::errc() || stop != end || index < 0 || index > 11)
        return std::nullopt;
    return LedgerPlace{ *k, index };
}

// January takes its previous supplier-account sum from its own stored total due, every other month
// from the month before.
int previousSupplierSumField(const LedgerMonth& month)
{
    return month.month == 1 ? month.base + TotalDueOffset : month.base - SupplierSumOffset;
}

void fill(RecordTable& table, const LedgerMonth& month, Grid& grid)
{
    const int base = month.base;
    const int count = table.recordCount();
    const auto size = static_cast<std::size_t>(count);
    grid.rows.assign(size, Row{});
    grid.supplierSumNegative.assign(size, 0);
    grid.previousSupplierSum.assign(size, Currency());
    grid.unstored.assign(size, 1);
    grid.sums = {};
    for (int i = 1; i <= count; ++i) {
        for (int offset : StoredOffsets) {
            const std::string_view stored = table.field(i, base + offset);
            if (!stored.empty())
                setIfChanged(table, i, base + offset, normalisedAmount(stored));
        }
        Row& row = grid.rows[static_cast<std::size_t>(i - 1)];
        row[NameColumn]
            .append(table.field(i, fields::Number))
            .append(". ")
            .append(table.field(i, fields::FullName));
        for (int c = 1; c < Columns; ++c) {
            if (FilledFrom[c])
                row[c] = table.field(i, base + *FilledFrom[c]);
        }
        grid.previousSupplierSum[static_cast<std::size_t>(i - 1)]
            = Currency::parseOrZero(table.field(i, previousSupplierSumField(month)));
    }
}

void setCell(Grid& grid, int row, int column, std::string text)
{
    const auto r = static_cast<std::size_t>(row);
    grid.rows[r][static_cast<std::size_t>(column)] = std::move(text);
    grid.unstored[r] = 1;
}

void compute(Grid& grid)
{
    std::array<Total, Columns> totals{};
    grid.supplierSumNegative.assign(grid.rows.size(), 0);
    for (std::size_t r = 0; r < grid.rows.size(); ++r) {
        Row& row = grid.rows[r];
        std::array<Currency, Columns> a{};
        for (int c = 1; c <= OtherIncome; ++c) {
            if (c != TotalDue)
                a[c] = Currency::parseOrZero(row[c]);
        }

        // Each step needs the one before; a step that overflows leaves its cells empty.
        std::optional<Currency> due = Currency::subtract(a[StartUnderpayment], a[StartOverpayment]);
        for (int c : { Electricity, SupplierCharge, ElectricianPay, OtherCharges }) {
            if (due)
                due = Currency::add(*due, a[c]);
        }
        std::optional<Currency> income = Currency::add(a[PaidIn], a[SupplierIncome]);
        if (income)
            income = Currency::add(*income, a[OtherIncome]);
        std::optional<Currency> net;
        if (due && income)
            net = Currency::subtract(*income, *due);

        Currency endUnder;
        Currency endOver;
        if (net) {
            if (*net <= Currency())
                endUnder = Currency::subtract(Currency(), *net).value_or(Currency()).round2();
            else
                endOver = net->round2();
        }
        std::optional<Currency> supplierSum = Currency::add(grid.previousSupplierSum[r], a[SupplierCharge]);
        if (supplierSum)
            supplierSum = Currency::subtract(*supplierSum, a[SupplierIncome]);
        Currency shownSum;
        if (supplierSum)
            shownSum = supplierSum->round2();

        // Computed cells change only with their row's own cells, which marked the row unstored.
        row[TotalDue] = due ? moneyText(*due) : std::string();
        row[EndUnderpayment] = net && *net <= Currency() ? moneyText(endUnder) : std::string();
        row[EndOverpayment] = net && *net > Currency() ? moneyText(endOver) : std::string();
        row[SupplierSum] = supplierSum ? moneyText(shownSum) : std::string();
        grid.supplierSumNegative[r] = shownSum.isNegative() ? 1 : 0;

        // The sums add up the cells as they read, so the computed columns count rounded.
        for (int c = 1; c <= OtherIncome; ++c) {
            if (c != TotalDue)
                totals[c].add(a[c]);
        }
        if (due)
            totals[TotalDue].add(due->round2());
        totals[EndUnderpayment].add(endUnder);
        totals[EndOverpayment].add(endOver);
        totals[SupplierSum].add(shownSum);
    }

    for (int c = 1; c < Columns; ++c)
        grid.sums[c - 1] = totals[c].failed ? std::string("0") : totals[c].sum.plainText();
}

void formatSums(std::array<std::string, SumBoxes>& sums)
{
    for (int j = 0; j < SumBoxes - 1; ++j) {
        std::string& text = sums[j];
        if (!text.empty())
            text = twoDecimalText(text);
        if (text == "0" || text == "0,00")
            text.clear();
    }
}

void store(RecordTable& table, const LedgerMonth& month, Grid& grid)
{
    const int base = month.base;
    const int next = base + fields::MonthBlock;
    const int count = std::min(static_cast<int>(grid.rows.size()), fields::MaxRecords);
    for (int i = 1; i <= count; ++i) {
        const auto r = static_cast<std::size_t>(i - 1);
        if (!grid.unstored[r])
            continue;
        grid.unstored[r] = 0;
        const Row& row = grid.rows[r];
        for (int c = 1; c < Columns; ++c) {
            if (StoredTo[c])
                setIfChanged(table, i, base + *StoredTo[c], row[c]);
        }
        if (month.month == 1)
            grid.previousSupplierSum[r] = Currency::parseOrZero(row[TotalDue]);
        if (month.month == 12)
            continue;
        // Read before writing: the strings of a record may move when one of its fields grows.
        const std::string under(table.field(i, base + EndUnderpaymentOffset));
        const std::string over(table.field(i, base + EndOverpaymentOffset));
        const std::string supplier(table.field(i, base + SupplierSumOffset));
        setIfChanged(table, i, next, under);
        setIfChanged(table, i, next + 1, over);
        setIfChanged(table, i, next + SupplierSumOffset, supplier);
    }
}

std::optional<std::string> typedAmount(std::string_view typed)
{
    typed = text::trimmed(typed);
    if (typed.empty())
        return std::string();
    // A whole part is wanted: "-" or ",5" alone would be kept as texts that only look like amounts.
    const std::string_view digits = typed.front() == '-' ? typed.substr(1) : typed;
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
        return std::nullopt;
    std::string text = twoDecimalText(typed);
    if (!Currency::parse(text))
        return std::nullopt;
    return text;
}

std::string withDecimalComma(std::string_view text)
{
    std::string result(text);
    const std::size_t stop = result.find('.');
    if (stop != std::string::npos)
        result[stop] = ',';
    return result;
}

std::optional<Cell> cellAfterEnter(Cell current, int rowCount, bool movesDown)
{
    const bool lastRow = current.row + 1 >= rowCount;
    if (movesDown) {
        if (lastRow)
            return std::nullopt;
        return Cell{ current.row + 1, current.column };
    }
    for (int c : EnterColumns) {
        if (c > current.column)
            return Cell{ current.row, c };
    }
    if (lastRow)
        return std::nullopt;
    return Cell{ current.row + 1, EnterColumns.front() };
}

std::vector<int> findRows(const RecordTable& table, std::string_view text)
{
    std::vector<int> rows;
    const std::string wanted = lowerCp1251(text);
    if (wanted.empty())
        return rows;
    for (int i = 1; i <= table.recordCount(); ++i) {
        if (lowerCp1251(table.field(i, fields::FullName)).find(wanted) != std::string::npos)
            rows.push_back(i - 1);
    }
    return rows;
}

std::vector<CarryOverRow> carryOverRows(const Grid& decemberGrid)
{
    std::vector<CarryOverRow> rows;
    rows.reserve(decemberGrid.rows.size());
    for (const Row& row : decemberGrid.rows)
        rows.push_back({ row[NameColumn], row[EndUnderpayment], row[EndOverpayment] });
    return rows;
}

void transferToJanuary(RecordTable& table, int year, const std::vector<CarryOverRow>& rows)
{
    const int base = fields::ledgerBaseOfMonth(year, 1);
    const int count = std::min(static_cast<int>(rows.size()), fields::MaxRecords);
    for (int i = 1; i <= count; ++i) {
        const CarryOverRow& row = rows[static_cast<std::size_t>(i - 1)];
        table.set(i, base, row.underpayment);
        table.set(i, base + 1, row.overpayment);
    }
}

} // namespace ledger
