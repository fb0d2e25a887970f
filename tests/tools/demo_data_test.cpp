// The demo database as the ledger reads it: each month opens with the balances the month before
// closed with, and the balances it keeps are the ones the ledger works out from its cells.

#include "accounts/ledger.h"
#include "demo_data.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct Balances
{
    std::string under;
    std::string over;
    friend bool operator==(const Balances&, const Balances&) = default;
    friend void PrintTo(const Balances& b, std::ostream* out)
    {
        *out << "«" << b.under << "» «" << b.over << "»";
    }
};

Balances opening(const RecordTable& table, int record, int year, int month)
{
    const int base = fields::ledgerBaseOfMonth(year, month);
    return { std::string(table.field(record, base)), std::string(table.field(record, base + 1)) };
}

Balances closing(const RecordTable& table, int record, int year, int month)
{
    const int base = fields::ledgerBaseOfMonth(year, month);
    return { std::string(table.field(record, base + 9)), std::string(table.field(record, base + 10)) };
}

std::vector<DemoOptions> demos()
{
    DemoOptions later;
    later.lastYear = 2029;
    DemoOptions shortYear;
    shortYear.lastMonthOfLastYear = 7;
    return { DemoOptions(), later, shortYear, fullDemoOptions(6) };
}

TEST(DemoData, EveryMonthOpensWithTheBalancesTheMonthBeforeClosedWith)
{
    for (const DemoOptions& options : demos()) {
        RecordTable table;
        fillDemoTable(table, options);
        const fields::YearWindow years = table.years();
        int carried = 0;
        for (int record = 1; record <= options.subscribers; ++record) {
            int year = years.first();
            int month = 1;
            while (year < years.last() || month < 12) {
                const int nextYear = month == 12 ? year + 1 : year;
                const int nextMonth = month == 12 ? 1 : month + 1;
                const Balances closed = closing(table, record, year, month);
                EXPECT_EQ(opening(table, record, nextYear, nextMonth), closed)
                    << "last year " << options.lastYear << ", subscriber " << record << ", " << nextMonth
                    << "." << nextYear;
                carried += closed != Balances();
                year = nextYear;
                month = nextMonth;
            }
        }
        EXPECT_GT(carried, 0) << "last year " << options.lastYear;
    }
}

TEST(DemoData, TheLastMonthOfReadingsCarriesIntoTheNextOne)
{
    // The demo's readings stop after November: December opens with what November left owing.
    RecordTable table;
    fillDemoTable(table, DemoOptions());
    int owing = 0;
    for (int record = 1; record <= table.recordCount(); ++record) {
        EXPECT_EQ(opening(table, record, 2026, 12), closing(table, record, 2026, 11)) << record;
        owing += !opening(table, record, 2026, 12).under.empty();
    }
    EXPECT_GT(owing, 0);
}

TEST(DemoData, TheKeptBalancesAreTheLedgersOwn)
{
    for (const DemoOptions& options : demos()) {
        RecordTable table;
        fillDemoTable(table, options);
        const fields::YearWindow years = table.years();
        for (int year = years.first(); year <= years.last(); ++year) {
            for (int month = 1; month <= 12; ++month) {
                RecordTable shown = table;
                ledger::Grid grid;
                ledger::fill(shown, ledger::ledgerMonth(year, month), grid);
                ledger::compute(grid);
                for (int record = 1; record <= options.subscribers; ++record) {
                    const ledger::Row& row = grid.rows[std::size_t(record - 1)];
                    const Balances computed{ row[ledger::EndUnderpayment], row[ledger::EndOverpayment] };
                    // A month without entries keeps nothing of its own.
                    if (closing(table, record, year, month) == Balances()
                        && opening(table, record, year, month) == computed)
                        continue;
                    EXPECT_EQ(closing(table, record, year, month), computed)
                        << "last year " << options.lastYear << ", subscriber " << record << ", " << month
                        << "." << year;
                }
            }
        }
    }
}

} // namespace
