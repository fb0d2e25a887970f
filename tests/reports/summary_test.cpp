#include "demo_data.h"
#include "reports/summary.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

#include <gtest/gtest.h>

namespace {

constexpr int Y2024 = 2024;

Currency amount(const char* text)
{
    return Currency::parse(text).value();
}

std::int64_t raw(const RecordTable& table, int record, int field)
{
    return Currency::parseOrZero(table.field(record, field)).raw();
}

RecordTable demoTable()
{
    RecordTable table;
    DemoOptions options;
    options.subscribers = 25;
    fillDemoTable(table, options);
    // Someone who reads only in May, and one who has nothing at all this year.
    for (int m = 1; m <= 12; ++m) {
        if (m != 5)
            table.set(3, sheet::cellField(Y2024, m, fields::CurrentReading), "");
        for (int b = 0; b <= 9; ++b)
            table.set(4, sheet::cellField(Y2024, m, b), "");
    }
    return table;
}

TEST(Summary, AddsUpTheSheetOfEverySubscriberAndTheLedger)
{
    const RecordTable table = demoTable();
    const reports::YearSummary summary = reports::summariseYear(table, Y2024);
    for (int m = 1; m <= 12; ++m) {
        // Worked out here subscriber by subscriber: the sheet's calculation of each year.
        std::array<std::int64_t, 8> sheetTotals{};
        std::int64_t other = 0, received = 0, debt = 0, overpayment = 0;
        int read = 0;
        for (int r = 1; r <= table.recordCount(); ++r) {
            const sheet::SheetComputation c = sheet::computeSheet(*sheet::readYear(table, r, "2024"));
            for (int e = 0; e < 8; ++e)
                sheetTotals[std::size_t(e)] += c.results[m][e].raw();
            const int b = fields::ledgerBaseOfMonth(Y2024, m);
            other += raw(table, r, b + 2) + raw(table, r, b + 3) + raw(table, r, b + 4);
            received += raw(table, r, b + 6) + raw(table, r, b + 7) + raw(table, r, b + 8);
            debt += raw(table, r, b + 9);
            overpayment += raw(table, r, b + 10);
            read += table.field(r, sheet::cellField(Y2024, m, fields::CurrentReading)).empty() ? 0 : 1;
        }
        const reports::Figures& f = summary.months[std::size_t(m - 1)];
        EXPECT_EQ(f.withReadings, read) << m;
        EXPECT_EQ(f.consumption.raw(), sheetTotals[sheet::Difference]) << m;
        EXPECT_EQ(f.lighting.raw(), sheetTotals[sheet::Lighting]) << m;
        EXPECT_EQ(f.losses.raw(), sheetTotals[sheet::Losses]) << m;
        EXPECT_EQ(f.toPay.raw(), sheetTotals[sheet::EnergyToPay]) << m;
        EXPECT_EQ(f.energyMoney.raw(), sheetTotals[sheet::EnergyMoney]) << m;
        EXPECT_EQ(f.service.raw(), sheetTotals[sheet::ServiceMoney]) << m;
        EXPECT_EQ(f.charged.raw(), sheetTotals[sheet::MonthTotal]) << m;
        EXPECT_EQ(f.otherCharges.raw(), other) << m;
        EXPECT_EQ(f.received.raw(), received) << m;
        EXPECT_EQ(f.debt.raw(), debt) << m;
        EXPECT_EQ(f.overpayment.raw(), overpayment) << m;
        EXPECT_GT(f.charged.raw(), 0) << m;
    }
    EXPECT_EQ(summary.months[0].withReadings, 23);
    EXPECT_EQ(summary.months[4].withReadings, 24);
}

TEST(Summary, TheYearSoFarAddsTheMonthsAndEndsWithTheMonthsBalances)
{
    const RecordTable table = demoTable();
    const reports::YearSummary summary = reports::summariseYear(table, Y2024);
    const reports::Figures april = reports::yearSoFar(summary, 4);
    std::int64_t toPay = 0, received = 0;
    for (int m = 0; m < 4; ++m) {
        toPay += summary.months[std::size_t(m)].toPay.raw();
        received += summary.months[std::size_t(m)].received.raw();
    }
    EXPECT_EQ(april.toPay.raw(), toPay);
    EXPECT_EQ(april.received.raw(), received);
    EXPECT_EQ(april.debt, summary.months[3].debt);
    EXPECT_EQ(april.overpayment, summary.months[3].overpayment);
    // The subscriber who reads only in May counts from May on, once.
    EXPECT_EQ(april.withReadings, 23);
    EXPECT_EQ(reports::yearSoFar(summary, 5).withReadings, 24);
    EXPECT_EQ(reports::yearSoFar(summary, 12).withReadings, 24);
}

TEST(Summary, AYearOutsideTheEightIsEmpty)
{
    const RecordTable table = demoTable();
    EXPECT_EQ(reports::summariseYear(table, 2028).months[0].withReadings, 0);
    EXPECT_TRUE(reports::summariseYear(table, 2019).months[0].charged.isZero());
}

TEST(Summary, StartsOnTheLastMonthSomebodyRead)
{
    RecordTable table;
    DemoOptions options;
    options.subscribers = 5; // readings up to November 2026
    fillDemoTable(table, options);
    EXPECT_EQ(reports::latestMonthWithReadings(table, 2026), 11);
    EXPECT_EQ(reports::latestMonthWithReadings(table, Y2024), 12);
    EXPECT_EQ(reports::latestMonthWithReadings(table, 2027), 1);
}

class SupplierComparison : public ::testing::Test
{
protected:
    SupplierComparison()
    {
        summary.months[0].toPay = amount("900");
        summary.months[0].energyMoney = amount("6291");
        summary.months[1].toPay = amount("800");
        summary.months[1].energyMoney = amount("5592");
        summary.months[2].toPay = amount("700");
        summary.months[2].energyMoney = amount("4893");
    }
    reports::YearSummary summary;
    reports::SupplierFigures figures;
};

TEST_F(SupplierComparison, TellsWhatTheSubscribersChargesLeaveUncovered)
{
    figures.setMonth(Y2024, 1, { "1000", "7000" });
    const reports::Uncovered january = reports::uncovered(reports::compareMonth(summary, figures, Y2024, 1));
    EXPECT_EQ(january.kwh, amount("100"));
    EXPECT_DOUBLE_EQ(*january.kwhPercent, 10.0);
    EXPECT_EQ(january.roubles, amount("709"));
    EXPECT_NEAR(*january.roublesPercent, 10.128571, 1e-6);

    // Nothing typed: nothing to compare. A supplier's figure of 0 has no share.
    EXPECT_FALSE(reports::uncovered(reports::compareMonth(summary, figures, Y2024, 2)).kwh);
    figures.setMonth(Y2024, 2, { "0", "" });
    const reports::Uncovered february = reports::uncovered(reports::compareMonth(summary, figures, Y2024, 2));
    EXPECT_EQ(february.kwh, amount("-800"));
    EXPECT_FALSE(february.kwhPercent);
    EXPECT_FALSE(february.roubles);
}

TEST_F(SupplierComparison, TheYearComparesOnlyTheMonthsWithFigures)
{
    figures.setMonth(Y2024, 1, { "1000", "" });
    figures.setMonth(Y2024, 3, { "750", "5000" });
    figures.setMonth(Y2024, 4, { "99999", "99999" }); // after the month asked for
    const reports::SupplierComparison march = reports::compareYearSoFar(summary, figures, Y2024, 3);
    EXPECT_EQ(march.supplierKwh, amount("1750"));
    EXPECT_EQ(march.subscribersKwh, amount("1600")); // January and March, not February
    EXPECT_EQ(march.supplierBill, amount("5000"));
    EXPECT_EQ(march.subscribersMoney, amount("4893"));
    const reports::Uncovered gap = reports::uncovered(march);
    EXPECT_EQ(gap.kwh, amount("150"));
    EXPECT_EQ(gap.roubles, amount("107"));
    // Another year's figures are not this year's.
    EXPECT_FALSE(reports::compareYearSoFar(summary, figures, 2025, 12).supplierKwh);
}

} // namespace
