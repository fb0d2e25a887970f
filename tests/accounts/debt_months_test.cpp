#include "accounts/debt_months.h"

#include <gtest/gtest.h>

namespace {

Currency amount(const char* text)
{
    return Currency::parse(text).value();
}

int base(int year, int month)
{
    return fields::ledgerBaseOfMonth(year, month);
}

class DebtMonths : public ::testing::Test
{
protected:
    DebtMonths()
    {
        table.setRecordCount(1);
        table.set(1, fields::FullName, "Петрова П. П.");
    }

    // A month of the ledger: start underpayment, the electricity and other charges, paid, end debt.
    void month(int year, int m, const char* start, const char* electricity, const char* other,
        const char* paid, const char* end)
    {
        const int b = base(year, m);
        table.set(1, b, start);
        table.set(1, b - 1, electricity);
        table.set(1, b + 4, other);
        table.set(1, b + 6, paid);
        table.set(1, b + 9, end);
    }

    ledger::DebtMonths of(int year, int m) const
    {
        return ledger::debtMonths(table, 1, ledger::ledgerMonth(year, m));
    }

    RecordTable table;
};

TEST_F(DebtMonths, PaymentsGoToTheOldestChargesFirst)
{
    // November began clean; December and January charged and little was paid.
    month(2023, 11, "", "300,00", "", "", "300,00");
    month(2023, 12, "300,00", "250,00", "50,00", "400,00", "200,00");
    month(2024, 1, "200,00", "120,00", "", "", "320,00");
    const ledger::DebtMonths d = of(2024, 1);
    EXPECT_EQ(d.total, amount("320,00"));
    // 320 = January's 120 and 200 of December's 300; November's is paid.
    ASSERT_EQ(d.months.size(), 2u);
    EXPECT_EQ(d.months[0].month, (fields::YearMonth{ 2023, 12 }));
    EXPECT_EQ(d.months[0].debt, amount("200,00"));
    EXPECT_FALSE(d.months[0].withEarlier);
    EXPECT_EQ(d.months[1].month, (fields::YearMonth{ 2024, 1 }));
    EXPECT_EQ(d.months[1].debt, amount("120,00"));
}

TEST_F(DebtMonths, WhatNoChargeExplainsStaysWithTheMonthItWasBroughtInto)
{
    // A debt typed in as March's start underpayment, with nothing before it in the file.
    month(2024, 3, "1000,00", "100,00", "", "", "1100,00");
    month(2024, 4, "1100,00", "", "", "", "1100,00");
    const ledger::DebtMonths d = of(2024, 4);
    ASSERT_EQ(d.months.size(), 1u);
    EXPECT_EQ(d.months[0].month, (fields::YearMonth{ 2024, 3 }));
    EXPECT_EQ(d.months[0].debt, amount("1100,00"));
    EXPECT_TRUE(d.months[0].withEarlier);
}

TEST_F(DebtMonths, AMonthThatBeganCleanTakesTheRestWithoutAnEarlierDebt)
{
    // An end balance larger than the month's charges though it began without a debt.
    month(2024, 5, "", "100,00", "", "", "150,00");
    const ledger::DebtMonths d = of(2024, 5);
    ASSERT_EQ(d.months.size(), 1u);
    EXPECT_EQ(d.months[0].debt, amount("150,00"));
    EXPECT_FALSE(d.months[0].withEarlier);
}

TEST_F(DebtMonths, NothingWithoutADebt)
{
    month(2024, 5, "", "100,00", "", "100,00", "");
    EXPECT_TRUE(of(2024, 5).months.empty());
    EXPECT_TRUE(of(2024, 5).total.isZero());
}

TEST_F(DebtMonths, ReachesBackToTheFirstMonthTheFileHolds)
{
    month(2020, 1, "50,00", "10,00", "", "", "60,00");
    for (int m = 2; m <= 3; ++m)
        month(2020, m, "60,00", "", "", "", "60,00");
    const ledger::DebtMonths d = of(2020, 3);
    ASSERT_EQ(d.months.size(), 1u);
    EXPECT_EQ(d.months[0].month, (fields::YearMonth{ 2020, 1 }));
    EXPECT_EQ(d.months[0].debt, amount("60,00"));
    EXPECT_TRUE(d.months[0].withEarlier);
}

} // namespace
