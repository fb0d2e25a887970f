#include "accounts/ledger.h"

#include "demo_data.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using namespace ledger;

// March 2024 and its neighbours.
const LedgerMonth March2024 = ledgerMonth(2024, 3);
constexpr int B = 1078 + 44;

RecordTable tableOf(int records)
{
    RecordTable table;
    table.setRecordCount(records);
    for (int i = 1; i <= records; ++i) {
        table.set(i, fields::Number, std::to_string(i));
        table.set(i, fields::FullName, "Абонент " + std::to_string(i));
    }
    return table;
}

Grid filledAndComputed(RecordTable& table, const LedgerMonth& month)
{
    Grid grid;
    fill(table, month, grid);
    compute(grid);
    formatSums(grid.sums);
    return grid;
}

TEST(LedgerMonth, BasesOfYearsAndMonthsAndTheFallBackToJanuary2020)
{
    const fields::YearWindow first;
    EXPECT_EQ(findLedgerMonth(first, "2020", "Январь").base, 18);
    EXPECT_EQ(findLedgerMonth(first, "2024", "Январь").base, 1078);
    EXPECT_EQ(findLedgerMonth(first, "2027", "Январь").base, 1873);
    EXPECT_EQ(findLedgerMonth(first, "2024", "Март").base, B);
    EXPECT_EQ(findLedgerMonth(first, "2027", "Декабрь").base, 1873 + 242);
    for (auto [year, month] :
        { std::pair{ "1999", "Март" }, { "2024", "Мартобрь" }, { "", "" }, { "2028", "Январь" } }) {
        const LedgerMonth shown = findLedgerMonth(first, year, month);
        EXPECT_TRUE(shown.fellBack);
        EXPECT_EQ(shown.base, 18);
        EXPECT_EQ(shown.year, 2020);
        EXPECT_EQ(shown.month, 1);
    }
    // Once the years have moved on, 2028 lives where 2020 did and 2020 is gone: the fall-back is
    // January of the first year held.
    const fields::YearWindow later(2022);
    EXPECT_EQ(findLedgerMonth(later, "2028", "Январь").base, 18);
    EXPECT_EQ(findLedgerMonth(later, "2029", "Декабрь").base, 265 + 18 + 242);
    const LedgerMonth dropped = findLedgerMonth(later, "2020", "Январь");
    EXPECT_TRUE(dropped.fellBack);
    EXPECT_EQ(dropped.year, 2022);
    EXPECT_EQ(dropped.base, 2 * 265 + 18);
}

TEST(Ledger, FillNormalisesStoredAmountsInTheGridAndTheRecord)
{
    RecordTable table = tableOf(1);
    table.set(1, B - 1, "5"); // electricity
    table.set(1, B, "5,5"); // start underpayment
    table.set(1, B + 1, "0,00"); // start overpayment
    table.set(1, B + 3, "0"); // electrician
    table.set(1, B + 4, "12,345"); // other charges: more decimals stay
    table.set(1, B + 9, "77"); // end underpayment: not filled, recomputed
    Grid grid;
    fill(table, March2024, grid);
    ASSERT_EQ(grid.rows.size(), 1u);
    const Row& row = grid.rows[0];
    EXPECT_EQ(row[NameColumn], "1. Абонент 1");
    EXPECT_EQ(row[Electricity], "5,00");
    EXPECT_EQ(row[StartUnderpayment], "5,50");
    EXPECT_EQ(row[StartOverpayment], "");
    EXPECT_EQ(row[ElectricianPay], "");
    EXPECT_EQ(row[OtherCharges], "12,345");
    EXPECT_EQ(row[EndUnderpayment], "");
    EXPECT_EQ(table.field(1, B - 1), "5,00");
    EXPECT_EQ(table.field(1, B), "5,50");
    EXPECT_EQ(table.field(1, B + 1), "");
    EXPECT_EQ(table.field(1, B + 3), "");
    EXPECT_EQ(table.field(1, B + 9), "77");
}

struct BalanceCase
{
    const char* what;
    std::vector<std::pair<int, const char*>> fields; // offset from B → text
    const char* totalDue;
    const char* endUnder;
    const char* endOver;
};

TEST(Ledger, ComputesTotalDueAndEndBalances)
{
    const std::vector<BalanceCase> cases = {
        { "overpaid", { { 0, "100" }, { -1, "50" }, { 3, "20" }, { 6, "200" } }, "170,00", "", "30,00" },
        { "paid exactly", { { 0, "100" }, { -1, "50" }, { 3, "20" }, { 6, "150" }, { 8, "20" } }, "170,00",
            "", "" },
        { "underpaid", { { 1, "30" }, { -1, "512,51" }, { 4, "100" }, { 6, "500" } }, "582,51", "82,51", "" },
        { "only a start overpayment", { { 1, "40,5" } }, "-40,50", "", "40,50" },
        { "supplier account counts in", { { 2, "10" }, { 7, "25" } }, "10,00", "", "15,00" },
        { "letters count as nothing", { { 0, "сто" }, { 6, "12,5" } }, "", "", "12,50" },
    };
    for (const BalanceCase& c : cases) {
        RecordTable table = tableOf(1);
        for (auto [offset, text] : c.fields)
            table.set(1, B + offset, text);
        const Grid grid = filledAndComputed(table, March2024);
        const Row& row = grid.rows[0];
        EXPECT_EQ(row[TotalDue], c.totalDue) << c.what;
        EXPECT_EQ(row[EndUnderpayment], c.endUnder) << c.what;
        EXPECT_EQ(row[EndOverpayment], c.endOver) << c.what;
    }
}

TEST(Ledger, ComputedAmountsRoundHalfToEven)
{
    RecordTable table = tableOf(2);
    table.set(1, B - 1, "10,125"); // due 10,125 → 10,12; paid 0 → underpayment 10,12
    table.set(2, B - 1, "10,135"); // → 10,14
    Grid grid = filledAndComputed(table, March2024);
    EXPECT_EQ(grid.rows[0][TotalDue], "10,12");
    EXPECT_EQ(grid.rows[0][EndUnderpayment], "10,12");
    EXPECT_EQ(grid.rows[1][TotalDue], "10,14");
}

TEST(Ledger, SupplierAccountSumStartsFromTheMonthBeforeOrFromJanuarysOwnTotal)
{
    RecordTable table = tableOf(1);
    const LedgerMonth january = ledgerMonth(2024, 1);
    const LedgerMonth february = ledgerMonth(2024, 2);
    // January: the previous sum is the month's own stored total due, not December's sum.
    table.set(1, january.base + 5, "10");
    table.set(1, january.base - 11, "999");
    table.set(1, january.base + 2, "5");
    table.set(1, january.base + 7, "20");
    Grid grid = filledAndComputed(table, january);
    EXPECT_EQ(grid.rows[0][SupplierSum], "-5,00");
    EXPECT_TRUE(grid.supplierSumNegative[0]);
    EXPECT_EQ(grid.sums[12], "-5");

    // February: January's sum field (its B + 11).
    table.set(1, february.base - 11, "7");
    table.set(1, february.base + 5, "999");
    table.set(1, february.base + 2, "5");
    grid = filledAndComputed(table, february);
    EXPECT_EQ(grid.rows[0][SupplierSum], "12,00");
    EXPECT_FALSE(grid.supplierSumNegative[0]);
}

TEST(Ledger, SumsAddTheCellsAsShown)
{
    RecordTable table;
    DemoOptions options;
    options.subscribers = 120;
    options.everyField = true;
    fillDemoTable(table, options);
    table.set(3, B + 4, "1,005"); // counts with its third decimal
    table.set(4, B + 6, "кот"); // counts as nothing
    Grid grid;
    fill(table, March2024, grid);
    compute(grid);
    for (int c = 1; c < Columns; ++c) {
        Currency expected;
        for (const Row& row : grid.rows)
            expected = *Currency::add(expected, Currency::parseOrZero(row[c]));
        EXPECT_EQ(grid.sums[c - 1], expected.plainText()) << "column " << c;
    }
    formatSums(grid.sums);
    EXPECT_EQ(grid.sums[StartOverpayment - 1].find(','), grid.sums[StartOverpayment - 1].size() - 3);
}

TEST(Ledger, EmptySumsShowNothingButTheSupplierSumKeepsItsZero)
{
    RecordTable table = tableOf(3);
    table.set(2, B + 6, "12,5");
    Grid grid = filledAndComputed(table, March2024);
    EXPECT_EQ(grid.sums[PaidIn - 1], "12,50");
    EXPECT_EQ(grid.sums[EndOverpayment - 1], "12,50");
    EXPECT_EQ(grid.sums[TotalDue - 1], "");
    EXPECT_EQ(grid.sums[StartUnderpayment - 1], "");
    EXPECT_EQ(grid.sums[SupplierSum - 1], "0");
}

TEST(Ledger, AmountsTooLargeToAddLeaveTheirCellsEmpty)
{
    RecordTable table = tableOf(2);
    table.set(1, B, "900000000000000");
    table.set(1, B - 1, "900000000000000");
    table.set(2, B, "900000000000000");
    Grid grid = filledAndComputed(table, March2024);
    EXPECT_EQ(grid.rows[0][TotalDue], "");
    EXPECT_EQ(grid.rows[0][EndUnderpayment], "");
    EXPECT_EQ(grid.rows[1][TotalDue], "900000000000000,00");
    EXPECT_EQ(grid.sums[StartUnderpayment - 1], ""); // the column total overflows
}

TEST(Ledger, StoreWritesTheShownColumnsAndCarriesIntoTheNextMonth)
{
    RecordTable table = tableOf(1);
    table.set(1, B, "100");
    table.set(1, B - 1, "50");
    table.set(1, B + 3, "20");
    table.set(1, B + 6, "200");
    table.set(1, B + 11, "3,25");
    // The next month already has other start balances: they are overwritten.
    table.set(1, B + 22, "999,00");
    table.set(1, B + 23, "1,00");
    table.set(1, B + 33, "8");
    Grid grid = filledAndComputed(table, March2024);
    store(table, March2024, grid);
    EXPECT_EQ(table.field(1, B), "100,00");
    EXPECT_EQ(table.field(1, B - 1), "50,00");
    EXPECT_EQ(table.field(1, B + 5), "170,00");
    EXPECT_EQ(table.field(1, B + 9), "");
    EXPECT_EQ(table.field(1, B + 10), "30,00");
    EXPECT_EQ(table.field(1, B + 22), "");
    EXPECT_EQ(table.field(1, B + 23), "30,00");
    EXPECT_EQ(table.field(1, B + 33), "3,25");
}

TEST(Ledger, SupplierAccountFieldsSurviveEveryEdit)
{
    RecordTable table = tableOf(1);
    table.set(1, B + 2, "15");
    table.set(1, B + 7, "4,5");
    Grid grid;
    fill(table, March2024, grid);
    setCell(grid, 0, SupplierCharge, "100,00");
    setCell(grid, 0, SupplierIncome, "200,00");
    compute(grid);
    store(table, March2024, grid);
    EXPECT_EQ(table.field(1, B + 2), "15,00"); // normalised by the fill, never written by the store
    EXPECT_EQ(table.field(1, B + 7), "4,50");
    EXPECT_EQ(table.field(1, B + 11), "");
}

TEST(Ledger, DecemberCarriesNothingIntoTheNextJanuary)
{
    const LedgerMonth december = ledgerMonth(2024, 12);
    const int nextJanuary = fields::ledgerBase(5, 1);
    RecordTable table = tableOf(1);
    table.set(1, december.base + 6, "40");
    table.set(1, nextJanuary, "11,00");
    table.set(1, nextJanuary + 1, "");
    Grid grid = filledAndComputed(table, december);
    store(table, december, grid);
    EXPECT_EQ(table.field(1, december.base + 10), "40,00");
    EXPECT_EQ(table.field(1, nextJanuary), "11,00");
    EXPECT_EQ(table.field(1, nextJanuary + 1), "");
    // Nor anywhere else past December's block.
    for (int f = december.base + 12; f < december.base + 40; ++f)
        EXPECT_EQ(table.field(1, f), f == nextJanuary ? "11,00" : "") << f;
}

TEST(Ledger, StoreReachesTheLastOfAFullTable)
{
    RecordTable table = tableOf(fields::MaxRecords);
    table.set(fields::MaxRecords, B + 6, "25");
    Grid grid = filledAndComputed(table, March2024);
    store(table, March2024, grid);
    EXPECT_EQ(table.field(fields::MaxRecords, B + 10), "25,00");
    EXPECT_EQ(table.field(fields::MaxRecords, B + 23), "25,00");
}

// Commits in any order leave the table as storing every row would, and the grid as a ledger
// opened afresh on the same month would show it: what is stored is never stale.
TEST(Ledger, StoredRowsAgreeWithAFreshLedgerAfterEveryCommit)
{
    for (const LedgerMonth month : { ledgerMonth(2024, 1), March2024 }) {
        RecordTable table;
        DemoOptions options;
        options.subscribers = 30;
        options.everyField = true;
        fillDemoTable(table, options);
        Grid grid;
        fill(table, month, grid);
        compute(grid);
        store(table, month, grid);
        std::mt19937 random(11);
        const std::array<int, 6> editable
            = { SupplierCharge, ElectricianPay, OtherCharges, PaidIn, SupplierIncome, OtherIncome };
        for (int step = 0; step < 60; ++step) {
            const int row = std::uniform_int_distribution<int>(0, 29)(random);
            const int column = editable[std::uniform_int_distribution<std::size_t>(0, 5)(random)];
            setCell(grid, row, column,
                std::to_string(std::uniform_int_distribution<int>(0, 5000)(random)) + ",50");
            compute(grid);
            store(table, month, grid);

            RecordTable everything = table;
            Grid everyRow = grid;
            everyRow.unstored.assign(everyRow.rows.size(), 1);
            store(everything, month, everyRow);
            Grid fresh;
            fill(everything, month, fresh);
            for (int r = 0; r < 30; ++r) {
                for (int f = month.base - 1; f <= month.base + 33; ++f)
                    ASSERT_EQ(table.field(r + 1, f), everything.field(r + 1, f))
                        << step << " " << r << " " << f;
                fresh.rows[std::size_t(r)][SupplierCharge] = grid.rows[std::size_t(r)][SupplierCharge];
                fresh.rows[std::size_t(r)][SupplierIncome] = grid.rows[std::size_t(r)][SupplierIncome];
            }
            compute(fresh);
            // The supplier-account sum is not stored (and January's starts from the total due
            // stored before the commit), so it is left out.
            for (int r = 0; r < 30; ++r) {
                for (int c = 0; c < SupplierSum; ++c)
                    ASSERT_EQ(
                        fresh.rows[std::size_t(r)][std::size_t(c)], grid.rows[std::size_t(r)][std::size_t(c)])
                        << "month " << month.month << " step " << step << " row " << r << " column " << c;
            }
            for (int j = 0; j < SumBoxes - 1; ++j)
                ASSERT_EQ(fresh.sums[std::size_t(j)], grid.sums[std::size_t(j)]) << step;
        }
    }
}

TEST(LedgerEditing, TypedAmounts)
{
    const std::vector<std::pair<const char*, std::optional<std::string>>> cases = {
        { "12,5", "12,50" },
        { "7", "7,00" },
        { "7,5", "7,50" },
        { "", "" },
        { "  8 ", "8,00" },
        { "-3", "-3,00" },
        { "0,125", "0,125" },
        { "1200,00", "1200,00" },
        { "abc", std::nullopt },
        { "1 000", std::nullopt },
        { "12.5", std::nullopt },
        { "-", std::nullopt },
        { ",5", std::nullopt },
        { "99999999999999999", std::nullopt },
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(typedAmount(typed), expected) << typed;
    EXPECT_EQ(withDecimalComma("12.5.3"), "12,5.3");
    EXPECT_EQ(withDecimalComma("12"), "12");
}

TEST(LedgerEditing, EnterMovesDownOrAlongTheEditableColumns)
{
    const int rows = 3;
    EXPECT_EQ(cellAfterEnter({ 0, PaidIn }, rows, true), (Cell{ 1, PaidIn }));
    EXPECT_EQ(cellAfterEnter({ 2, PaidIn }, rows, true), std::nullopt);
    EXPECT_EQ(cellAfterEnter({ 0, ElectricianPay }, rows, false), (Cell{ 0, OtherCharges }));
    EXPECT_EQ(cellAfterEnter({ 0, OtherCharges }, rows, false), (Cell{ 0, PaidIn }));
    EXPECT_EQ(cellAfterEnter({ 0, PaidIn }, rows, false), (Cell{ 0, OtherIncome }));
    EXPECT_EQ(cellAfterEnter({ 1, OtherIncome }, rows, false), (Cell{ 2, ElectricianPay }));
    EXPECT_EQ(cellAfterEnter({ 2, OtherIncome }, rows, false), std::nullopt);
    EXPECT_EQ(cellAfterEnter({ 2, PaidIn }, rows, false), (Cell{ 2, OtherIncome }));
}

TEST(LedgerFind, MatchesPartsOfNamesInAnyLetterCase)
{
    RecordTable table = tableOf(5);
    table.set(1, fields::FullName, "ИВАНОВ И. И.");
    table.set(2, fields::FullName, "Петров П. П.");
    table.set(3, fields::FullName, "Иванова А. В.");
    table.set(4, fields::FullName, "Семёнов Л. Д.");
    table.set(5, fields::FullName, "Smith J.");
    EXPECT_EQ(findRows(table, "иванов"), (std::vector<int>{ 0, 2 }));
    EXPECT_EQ(findRows(table, "СЕМЁН"), (std::vector<int>{ 3 }));
    EXPECT_EQ(findRows(table, "smith"), (std::vector<int>{ 4 }));
    EXPECT_EQ(findRows(table, ". "), (std::vector<int>{ 0, 1, 2, 3 }));
    EXPECT_TRUE(findRows(table, "Сидоров").empty());
    EXPECT_TRUE(findRows(table, "").empty());
}

TEST(LedgerCarryOver, JanuaryReceivesTheBalancesExactlyAsGiven)
{
    RecordTable table = tableOf(2);
    const LedgerMonth december = ledgerMonth(2024, 12);
    table.set(1, december.base, "100");
    table.set(2, december.base + 6, "30");
    Grid grid = filledAndComputed(table, december);
    std::vector<CarryOverRow> rows = carryOverRows(grid);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].subscriber, "1. Абонент 1");
    EXPECT_EQ(rows[0].underpayment, "100,00");
    EXPECT_EQ(rows[1].overpayment, "30,00");

    rows[1].overpayment = "15,5";
    transferToJanuary(table, 2025, rows);
    const int january = fields::ledgerBase(5, 1);
    EXPECT_EQ(table.field(1, january), "100,00");
    EXPECT_EQ(table.field(1, january + 1), "");
    EXPECT_EQ(table.field(2, january), "");
    EXPECT_EQ(table.field(2, january + 1), "15,5");
}

TEST(Ledger, TheMonthAndYearOfTheLastCloseAreTakenOnlyWhenBothAreSound)
{
    const fields::YearWindow years;
    const auto place = rememberedPlace(years, "2026", "4");
    ASSERT_TRUE(place);
    EXPECT_EQ(place->year, 2026);
    EXPECT_EQ(place->monthIndex, 4);
    EXPECT_TRUE(rememberedPlace(years, "2020", "0"));
    EXPECT_TRUE(rememberedPlace(years, "2027", "11"));
    // A year the database no longer holds, or does not hold yet.
    EXPECT_FALSE(rememberedPlace(fields::YearWindow(2021), "2020", "0"));
    EXPECT_TRUE(rememberedPlace(fields::YearWindow(2021), "2028", "0"));
    EXPECT_FALSE(rememberedPlace(years, "2028", "0"));
    const char* broken[][2] = {
        { "", "" }, // never closed
        { "2026", "" },
        { "", "4" },
        { "2019", "4" }, // a year the program does not keep
        { "2026", "12" },
        { "2026", "-1" },
        { "2026", "4.0" },
        { "2026", "Май" },
        { "2026", "99999999999999" },
    };
    for (const auto& texts : broken)
        EXPECT_FALSE(rememberedPlace(years, texts[0], texts[1])) << texts[0] << " / " << texts[1];
}

} // namespace
