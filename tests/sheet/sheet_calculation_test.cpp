#include "sheet/sheet_calculation.h"

#include <gtest/gtest.h>

namespace {

using namespace sheet;
using Shown = std::array<std::string, ComputedElements>;

// A month row as typed: date, current, previous, power, hours, days, losses, tariff, service.
MonthTexts row(std::string current, std::string previous, std::string power, std::string hours,
    std::string days, std::string losses, std::string tariff, std::string service)
{
    return { "", current, previous, power, hours, days, losses, tariff, service, "" };
}

// The month the operators check the program against.
MonthTexts workedMonth()
{
    return row("10700", "10625", "0,25", "6,5", "26", "4", "3,22", "1,8");
}

Shown shownRow(const SheetComputation& c, int r)
{
    Shown s;
    for (int col = 0; col < ComputedElements; ++col)
        s[col] = c.shown[r][col];
    return s;
}

TEST(SheetCalculation, TheWorkedMonthComesOutToTheKopeck)
{
    SheetTexts texts{};
    texts[2] = workedMonth();
    const SheetComputation c = computeSheet(texts);

    const Shown expected = { "75", "42,25", "117,25", "4,69", "121,94", "392,65", "7,07", "399,72" };
    EXPECT_EQ(shownRow(c, 3), expected);
    EXPECT_EQ(c.hiddenTotal[3], "399,72");
    EXPECT_EQ(c.results[3][MonthTotal], Currency::parse("399,72").value());
    EXPECT_EQ(c.inputs[3][fields::Tariff], Currency::parse("3,22").value());
    // The only month with anything in it makes the year's totals.
    EXPECT_EQ(shownRow(c, TotalsRow), expected);
    for (int m : { 1, 2, 4, 12 }) {
        EXPECT_EQ(shownRow(c, m), Shown{}) << m;
        EXPECT_EQ(c.hiddenTotal[m], "0") << m;
    }
}

TEST(SheetCalculation, AnEmptySheetShowsNothingAndOwesNothing)
{
    const SheetComputation c = computeSheet(SheetTexts{});
    for (int r = 1; r <= TotalsRow; ++r)
        EXPECT_EQ(shownRow(c, r), Shown{}) << r;
    for (int m = 1; m <= Months; ++m)
        EXPECT_EQ(c.hiddenTotal[m], "0") << m;
}

TEST(SheetCalculation, LossesRoundHalvesToTheEvenKopeck)
{
    struct Case
    {
        const char* total;
        const char* losses;
        const char* toPay;
    } cases[] = {
        { "117,25", "2,34", "119,59" }, // 2,345
        { "117,75", "2,36", "120,11" }, // 2,355
        { "117,26", "2,35", "119,61" }, // 2,3452
    };
    for (const Case& k : cases) {
        SheetTexts texts{};
        texts[0] = row(k.total, "", "", "", "", "2", "", "");
        const SheetComputation c = computeSheet(texts);
        EXPECT_EQ(c.shown[1][Losses], k.losses) << k.total;
        EXPECT_EQ(c.shown[1][EnergyToPay], k.toPay) << k.total;
    }
}

TEST(SheetCalculation, StreetLightingAloneIsChargedWithoutConsumption)
{
    // A reading below the previous one (no roll-over) and no readings at all: no consumption,
    // the street lighting is still charged.
    const Shown expected = { "", "42,25", "42,25", "1,69", "43,94", "141,49", "2,55", "144,04" };
    for (const auto& [current, previous] : { std::pair{ "10600", "10625" }, std::pair{ "", "" } }) {
        SheetTexts texts{};
        texts[5] = row(current, previous, "0,25", "6,5", "26", "4", "3,22", "1,8");
        const SheetComputation c = computeSheet(texts);
        EXPECT_EQ(shownRow(c, 6), expected) << current;
        EXPECT_TRUE(c.results[6][Difference].isZero());
        EXPECT_EQ(c.hiddenTotal[6], "144,04");
    }
}

TEST(SheetCalculation, TextsThatAreNotNumbersCountAsZero)
{
    SheetTexts texts{};
    texts[0] = row("10700", "10625", "0,25", "6,5", "26", "четыре", "3.22", "1,8");
    const SheetComputation c = computeSheet(texts);
    // No losses; a tariff with a full stop is not a number to the calculation, so nothing is due.
    const Shown expected = { "75", "42,25", "117,25", "", "117,25", "", "", "" };
    EXPECT_EQ(shownRow(c, 1), expected);
    EXPECT_EQ(c.hiddenTotal[1], "0");
}

TEST(SheetCalculation, EnergyAndMoneyShowTwoDecimalsAndTheDifferenceItsPlainValue)
{
    SheetTexts texts{};
    texts[0] = row("112,5", "100", "1", "42,5", "1", "", "", "");
    texts[1] = row("100,1234", "100", "1", "42", "1", "", "", "");
    const SheetComputation c = computeSheet(texts);
    EXPECT_EQ(c.shown[1][Difference], "12,5");
    EXPECT_EQ(c.shown[1][Lighting], "42,50");
    EXPECT_EQ(c.shown[1][TotalEnergy], "55,00");
    EXPECT_EQ(c.shown[2][Difference], "0,1234");
    EXPECT_EQ(c.shown[2][Lighting], "42,00");
    EXPECT_EQ(c.shown[2][TotalEnergy], "42,12");
    EXPECT_EQ(c.shown[TotalsRow][Difference], "12,6234");
    EXPECT_EQ(c.shown[TotalsRow][TotalEnergy], "97,12");
}

TEST(SheetCalculation, TotalsAddTheRoundedMonths)
{
    // 1,49 % of 1 kWh is 0,0149 kWh, shown as 0,01: the year's losses are the twelve shown values
    // (0,12), not the rounded sum of the exact ones (0,18).
    SheetTexts texts{};
    for (MonthTexts& month : texts)
        month = row("1", "0", "", "", "", "1,49", "", "");
    const SheetComputation c = computeSheet(texts);
    EXPECT_EQ(c.shown[1][Losses], "0,01");
    EXPECT_EQ(c.shown[TotalsRow][Losses], "0,12");
    EXPECT_EQ(c.shown[TotalsRow][EnergyToPay], "12,12");
    EXPECT_EQ(c.shown[TotalsRow][Difference], "12");
}

TEST(SheetCalculation, AStepThatOverflowsLeavesZeroAndTheRunGoesOn)
{
    SheetTexts texts{};
    // 900 000 000 000 000 kWh fit; their losses and their price do not.
    texts[0] = row("900000000000000", "", "", "", "", "4", "3,22", "1,8");
    texts[1] = workedMonth();
    texts[2] = row("99999999999999999999", "", "", "", "", "", "", ""); // does not even convert
    const SheetComputation c = computeSheet(texts);
    const Shown huge = { "900000000000000", "", "900000000000000,00", "", "900000000000000,00", "", "", "" };
    EXPECT_EQ(shownRow(c, 1), huge);
    EXPECT_EQ(c.hiddenTotal[1], "0");
    EXPECT_EQ(c.shown[2][MonthTotal], "399,72");
    EXPECT_EQ(shownRow(c, 3), Shown{});
    EXPECT_EQ(c.shown[TotalsRow][TotalEnergy], "900000000000117,25");
    EXPECT_EQ(c.shown[TotalsRow][MonthTotal], "399,72");
}

} // namespace
