// Payments entered into months before today's: the balances of every month after, across the
// turn of a year too, take the money in, and the parts of a divided payment go in together.

#include "accounts/bank_import.h"
#include "accounts/bank_test_support.h"
#include "accounts/ledger.h"

#include <gtest/gtest.h>

namespace {

using namespace bank;
using banktest::directory;

int base(int year, int month)
{
    return fields::ledgerBaseOfMonth(year, month);
}

// Иванов owes 1000,00 for December 2025, which January 2026 starts from; then 300,00 and 400,00 of
// electricity in January and February. Петрова's January starts from 50,00 typed in by hand. March
// is the last month in use (Петрова's charge).
RecordTable lateTable()
{
    RecordTable table = directory({ "Иванов И. И.", "Петрова А.С." });
    table.set(1, base(2025, 12) - 1, "1000,00");
    table.set(1, base(2026, 1), "1000,00");
    table.set(1, base(2026, 1) - 1, "300,00");
    table.set(1, base(2026, 2) - 1, "400,00");
    table.set(2, base(2026, 1), "50,00");
    table.set(2, base(2026, 3) - 1, "100,00");
    // The sheet writes "0" into months without readings: nothing is charged there.
    table.set(2, base(2026, 9) - 1, "0");
    return table;
}

TEST(BankPosting, AnEarlierYearsPaymentCarriesThroughEveryMonthUpToTheLastInUse)
{
    RecordTable table = lateTable();
    const PostingResult result = post(table, { { 1, { 2025, 12 }, Currency::fromUnits(1500) } });
    EXPECT_EQ(result.refused, std::vector<std::string>(1));
    struct Expected
    {
        int year;
        int month;
        const char* startUnder;
        const char* startOver;
        const char* endUnder;
        const char* endOver;
    };
    // December: 1000 due, 1500 paid. January takes December's 500 over, as the carry-over does.
    for (const Expected& e : std::vector<Expected>{ { 2025, 12, "", "", "", "500,00" },
             { 2026, 1, "", "500,00", "", "200,00" }, { 2026, 2, "", "200,00", "200,00", "" },
             { 2026, 3, "200,00", "", "200,00", "" }, { 2026, 4, "200,00", "", "", "" } }) {
        SCOPED_TRACE(std::to_string(e.month) + "." + std::to_string(e.year));
        const int b = base(e.year, e.month);
        EXPECT_EQ(table.field(1, b), e.startUnder);
        EXPECT_EQ(table.field(1, b + 1), e.startOver);
        if (e.month != 4) {
            EXPECT_EQ(table.field(1, b + 9), e.endUnder);
            EXPECT_EQ(table.field(1, b + 10), e.endOver);
        }
    }
    // Nobody else's January moves: Петрова's stays as typed, and her months go on from it.
    EXPECT_EQ(table.field(2, base(2026, 1)), "50,00");
    EXPECT_EQ(table.field(2, base(2026, 3) + 9), "150,00");
    EXPECT_EQ(result.changedMonths,
        (std::vector<YearMonth>{ { 2025, 12 }, { 2026, 1 }, { 2026, 2 }, { 2026, 3 }, { 2026, 4 } }));
    EXPECT_EQ(monthsText(result.changedMonths), "Декабрь 2025 – Апрель 2026");
}

TEST(BankPosting, APaymentAheadOfTheMonthsInUseReachesItsOwnMonthOnly)
{
    RecordTable table = lateTable();
    const PostingResult result = post(table, { { 2, { 2026, 5 }, Currency::fromUnits(100) } });
    EXPECT_EQ(table.field(2, base(2026, 5) + 10), "100,00");
    EXPECT_EQ(table.field(2, base(2026, 6) + 1), "100,00");
    EXPECT_EQ(result.changedMonths, (std::vector<YearMonth>{ { 2026, 5 }, { 2026, 6 } }));
    // The last year the database holds has no January after it.
    RecordTable last = lateTable();
    last.set(1, base(2027, 12) - 1, "10,00");
    EXPECT_EQ(post(last, { { 1, { 2027, 12 }, Currency::fromUnits(10) } }).changedMonths,
        (std::vector<YearMonth>{ { 2027, 12 } }));
}

TEST(BankPosting, ThePartsOfOnePaymentGoInTogetherOrNotAtAll)
{
    RecordTable table = lateTable();
    table.set(1, base(2026, 1) + 6, "по кассе");
    const PostingResult result = post(table,
        { { 1, { 2026, 1 }, Currency::fromUnits(60), 7 }, { 2, { 2026, 1 }, Currency::fromUnits(40), 7 },
            { 2, { 2026, 1 }, Currency::fromUnits(5) }, { 1, { 2026, 2 }, Currency::fromUnits(30), 8 },
            { 2, { 2026, 2 }, Currency::fromUnits(20), 8 } });
    ASSERT_EQ(result.refused.size(), 5u);
    EXPECT_EQ(result.refused[0], "в «Внесено» записано не число: «по кассе,00»");
    EXPECT_EQ(result.refused[1], "не занесена другая часть этого платежа");
    EXPECT_EQ(result.refused[2], "");
    EXPECT_EQ(result.refused[3], "");
    EXPECT_EQ(result.refused[4], "");
    EXPECT_EQ(table.field(2, base(2026, 1) + 6), "5,00");
    EXPECT_EQ(table.field(1, base(2026, 2) + 6), "30,00");
    EXPECT_EQ(table.field(2, base(2026, 2) + 6), "20,00");
}

TEST(BankPosting, TheMonthsMovedAreToldAsSpans)
{
    EXPECT_EQ(monthsText({}), "");
    EXPECT_EQ(monthsText({ { 2026, 3 } }), "Март 2026");
    EXPECT_EQ(monthsText({ { 2026, 6 }, { 2026, 3 }, { 2026, 5 }, { 2026, 5 } }),
        "Март 2026, Май 2026 – Июнь 2026");
    EXPECT_EQ(monthsText({ { 2025, 12 }, { 2026, 1 } }), "Декабрь 2025 – Январь 2026");
}

} // namespace
