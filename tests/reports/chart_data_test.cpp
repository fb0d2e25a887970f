#include "database/field_map.h"
#include "reports/chart_data.h"

#include <gtest/gtest.h>

namespace {

Currency units(std::int64_t value)
{
    return Currency::fromUnits(value);
}

TEST(ChartReading, TakesTheLeadingNumberWithAFullStop)
{
    const struct
    {
        const char* text;
        std::int64_t tenThousandths;
    } cases[] = {
        { "10625,5", 106250000 }, // a decimal comma ends the number
        { "10600", 106000000 }, { "12.5", 125000 }, { "12.5.7", 125000 }, { ".5", 5000 }, { "", 0 },
        { "абв", 0 }, { "7 кВт", 70000 }, { "  42", 420000 }, { "-5", 0 },
        { "99999999999999999999", 0 }, // longer than any meter: no reading
    };
    for (const auto& c : cases)
        EXPECT_EQ(chart::readingValue(c.text).raw(), c.tenThousandths) << c.text;
}

TEST(ChartReading, MonthlyValuesComeFromTheStoredReadingsOfThatYear)
{
    RecordTable table;
    table.setRecordCount(2);
    const int year = 2026;
    table.set(2, fields::baseOfMonth(year, 3) + fields::CurrentReading, "10625,5");
    table.set(2, fields::baseOfMonth(year, 3) + fields::PreviousReading, "10600");
    table.set(2, fields::baseOfMonth(year, 4) + fields::CurrentReading, "10500");
    table.set(2, fields::baseOfMonth(year, 4) + fields::PreviousReading, "10625");
    table.set(2, fields::baseOfMonth(year, 12) + fields::CurrentReading, "830.75");
    table.set(2, fields::baseOfMonth(year, 12) + fields::PreviousReading, "100");
    // The same month of the year before and of another subscriber are not drawn.
    table.set(2, fields::baseOfMonth(year - 1, 3) + fields::CurrentReading, "999");
    table.set(1, fields::baseOfMonth(year, 3) + fields::CurrentReading, "777");

    const chart::MonthlyValues values = chart::monthlyValues(table, 2, year);
    EXPECT_EQ(values[2], units(25));
    EXPECT_EQ(values[3], units(-125)); // a lower current reading is drawn below zero
    EXPECT_EQ(values[11], Currency::fromRaw(7307500));
    for (int m : { 1, 2, 5, 6, 7, 8, 9, 10, 11 })
        EXPECT_TRUE(values[m - 1].isZero()) << m;

    for (const Currency value : chart::monthlyValues(table, 2, 2027))
        EXPECT_TRUE(value.isZero());
    // 2034 shares the block of 2026, but the table holds 2020 … 2027: nothing of 2026 is drawn
    // for it.
    for (const Currency value : chart::monthlyValues(table, 2, 2034))
        EXPECT_TRUE(value.isZero());
    // Once the years have moved on to 2026 … 2033, 2026 is drawn as it was.
    table.setYears(fields::YearWindow(2026));
    EXPECT_EQ(chart::monthlyValues(table, 2, year)[2], units(25));
}

TEST(ChartPalette, TenColoursFiftyTimesThenBlack)
{
    const chart::Palette& palette = chart::curvePalette();
    EXPECT_EQ(palette.size(), 1001u);
    EXPECT_EQ(palette[0], 0u);
    EXPECT_EQ(palette[1], 0x0000FFu); // red
    EXPECT_EQ(palette[2], 0xFF0000u); // blue
    EXPECT_EQ(palette[8], 0x0080FFu); // orange
    EXPECT_EQ(palette[10], 0x808080u); // grey
    EXPECT_EQ(chart::curveColour(11), 0x0000FFu);
    EXPECT_EQ(chart::curveColour(497), palette[7]);
    EXPECT_EQ(chart::curveColour(500), 0x808080u);
    EXPECT_EQ(chart::curveColour(501), 0u);
    EXPECT_EQ(chart::curveColour(1000), 0u);
    EXPECT_EQ(chart::curveColour(1001), 0u);
}

chart::MonthlyValues withLargest(Currency value)
{
    chart::MonthlyValues values{};
    values[0] = units(120);
    values[6] = value;
    values[11] = units(40);
    return values;
}

TEST(ChartScale, TheFirstCurveRaisesTheTopInStepsUntilEveryMonthFits)
{
    const struct
    {
        Currency largest;
        std::int64_t top;
    } cases[] = {
        { units(730), 800 }, { units(800), 800 },
        { Currency::fromRaw(8000001), 900 }, // 800,0001 does not fit under 800
        { units(499), 500 }, { units(-300), 500 }, { units(123456789), 123456800 }, // any reading, at once
    };
    for (const auto& c : cases) {
        chart::Scale scale;
        scale.fitFirstCurve(withLargest(c.largest));
        EXPECT_EQ(scale.maximum(), c.top) << c.largest.plainText();
    }
}

TEST(ChartScale, NegativeMonthsTakeTheBottomDownInWholeSteps)
{
    chart::Scale scale;
    scale.showNegatives(withLargest(units(900)));
    EXPECT_EQ(scale.minimum(), 0);
    scale.showNegatives(withLargest(Currency::fromRaw(-250000))); // -25
    EXPECT_EQ(scale.minimum(), -100);
    scale.showNegatives(withLargest(units(-100)));
    EXPECT_EQ(scale.minimum(), -100);
    scale.showNegatives(withLargest(units(-101)));
    EXPECT_EQ(scale.minimum(), -200);
    scale.showNegatives(withLargest(units(-50)));
    EXPECT_EQ(scale.minimum(), -200); // never back up while the curves are drawn
}

TEST(ChartScale, PlusStopsAtOneHundredAndMinusFreesItAgain)
{
    chart::Scale scale;
    for (int top : { 400, 300, 200, 100 }) {
        scale.lower();
        EXPECT_EQ(scale.maximum(), top);
        EXPECT_TRUE(scale.canLower());
    }
    scale.lower();
    EXPECT_EQ(scale.maximum(), 100);
    EXPECT_FALSE(scale.canLower());
    scale.raise();
    EXPECT_EQ(scale.maximum(), 200);
    EXPECT_TRUE(scale.canLower());
}

} // namespace
