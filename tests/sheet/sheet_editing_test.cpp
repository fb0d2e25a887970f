#include "sheet/sheet_editing.h"

#include <gtest/gtest.h>

namespace {

using namespace sheet;

TEST(SheetEditing, DatesTakeFullStopsAndNumbersCommas)
{
    struct Case
    {
        int element;
        const char* typed;
        const char* shown;
    } cases[] = {
        { fields::Date, "31,01,07", "31.01.07" },
        { fields::Date, "31.01.07", "31.01.07" },
        { fields::Tariff, "1.8", "1,8" },
        { fields::CurrentReading, "1.2.3", "1,2,3" },
        { fields::LossesPercent, "4", "4" },
        { fields::MonthCharge, "399.72", "399,72" },
    };
    for (const Case& k : cases)
        EXPECT_EQ(withRightSeparators(k.element, k.typed), k.shown) << k.typed;
}

TEST(SheetEditing, AutofillPutsTheReadingIntoAnEmptyNextPreviousReading)
{
    const CopyTools on{ .autofillPrevious = true };
    SheetTexts texts{};
    texts[2][fields::CurrentReading] = "10700";
    EXPECT_EQ(copiesOnLeaving(texts, 3, fields::CurrentReading, on),
        (std::vector<CellEdit>{ { 4, fields::PreviousReading, "10700" } }));

    // Only from the reading itself, only with Ch1 on, never over a typed value.
    EXPECT_TRUE(copiesOnLeaving(texts, 3, fields::PreviousReading, on).empty());
    EXPECT_TRUE(copiesOnLeaving(texts, 3, fields::CurrentReading, CopyTools{}).empty());
    texts[3][fields::PreviousReading] = "10650";
    EXPECT_TRUE(copiesOnLeaving(texts, 3, fields::CurrentReading, on).empty());

    // An empty reading copies nothing; December has no next month in this year.
    texts[4][fields::CurrentReading] = "";
    EXPECT_TRUE(copiesOnLeaving(texts, 5, fields::CurrentReading, on).empty());
    texts[11][fields::CurrentReading] = "12000";
    EXPECT_TRUE(copiesOnLeaving(texts, 12, fields::CurrentReading, on).empty());
}

TEST(SheetEditing, JanuaryCopiesFillOnlyEmptyLaterMonths)
{
    SheetTexts texts{};
    texts[0][fields::Tariff] = "1,8";
    texts[4][fields::Tariff] = "2,1";
    texts[5][fields::Tariff] = "2,2";
    const CopyTools tariff{ .tariff = true };
    std::vector<CellEdit> expected;
    for (int m : { 2, 3, 4, 7, 8, 9, 10, 11, 12 })
        expected.push_back({ m, fields::Tariff, "1,8" });
    EXPECT_EQ(copiesOnLeaving(texts, 1, fields::Tariff, tariff), expected);

    // Each copy belongs to its own cell of January and its own check box.
    EXPECT_TRUE(copiesOnLeaving(texts, 1, fields::LossesPercent, tariff).empty());
    EXPECT_TRUE(
        copiesOnLeaving(texts, 1, fields::Tariff, CopyTools{ .power = true, .losses = true }).empty());
    EXPECT_TRUE(copiesOnLeaving(texts, 2, fields::Tariff, tariff).empty());

    texts[0][fields::LightingPower] = "0,25";
    texts[0][fields::LossesPercent] = "4";
    EXPECT_EQ(copiesOnLeaving(texts, 1, fields::LightingPower, CopyTools{ .power = true }).size(), 11u);
    EXPECT_EQ(copiesOnLeaving(texts, 1, fields::LossesPercent, CopyTools{ .losses = true }).back(),
        (CellEdit{ 12, fields::LossesPercent, "4" }));
}

TEST(SheetEditing, FineCopyWritesTheFieldOfEveryRecordAndNothingForAnUnknownYear)
{
    RecordTable table;
    table.setRecordCount(3);
    for (int row = 1; row <= 3; ++row)
        table.set(row, 1650, "соседнее поле");

    // March's tariff of 2026: 265 × 6 + 8 + 44 + 7.
    EXPECT_TRUE(fineCopy(table, "2026", 3, fields::Tariff, "1,8"));
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(table.field(row, 1649), "1,8");
        EXPECT_EQ(table.field(row, 1650), "соседнее поле");
    }
    EXPECT_TRUE(table.field(4, 1649).empty());

    EXPECT_FALSE(fineCopy(table, "2030", 3, fields::Tariff, "9,9"));
    EXPECT_FALSE(fineCopy(table, "", 3, fields::Tariff, "9,9"));
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(table.field(row, 1649), "1,8");

    EXPECT_TRUE(isQuickCopyElement(fields::Date));
    EXPECT_TRUE(isQuickCopyElement(fields::ServicePercent));
    EXPECT_FALSE(isQuickCopyElement(fields::CurrentReading));
    EXPECT_FALSE(isQuickCopyElement(fields::LightingDays));
}

TEST(SheetEditing, MonthEndDatesKnowTheLeapYears)
{
    const std::vector<std::string> dates2021 = { "31.01.21", "28.02.21", "31.03.21", "30.04.21", "31.05.21",
        "30.06.21", "31.07.21", "31.08.21", "30.09.21", "31.10.21", "30.11.21", "31.12.21" };
    const std::vector<CellEdit> edits = monthEndDates(2021);
    ASSERT_EQ(edits.size(), 12u);
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(edits[m - 1], (CellEdit{ m, fields::Date, dates2021[m - 1] }));

    // The Gregorian rule, past the first eight years too: 2100 is no leap year, 2000 and 2400 are.
    for (const auto& [year, leap] : std::vector<std::pair<int, bool>>{ { 2020, true }, { 2021, false },
             { 2024, true }, { 2027, false }, { 2028, true }, { 2029, false }, { 2032, true },
             { 2100, false }, { 2000, true }, { 2400, true } }) {
        const std::string february
            = std::string(leap ? "29" : "28") + ".02." + std::to_string(year).substr(2);
        EXPECT_EQ(monthEndDates(year)[1].text, february) << year;
        EXPECT_EQ(lightingHoursAndDays(year)[12 + 1].text, leap ? "29" : "28") << year;
    }
}

TEST(SheetEditing, StreetLightingHoursAndDaysOfEveryMonth)
{
    const std::vector<CellEdit> edits = lightingHoursAndDays(2023);
    ASSERT_EQ(edits.size(), 24u);
    std::string hours;
    std::string days;
    for (const CellEdit& e : edits) {
        std::string& list = e.element == fields::LightingHours ? hours : days;
        list += e.text + " ";
    }
    EXPECT_EQ(hours, "14 12 10 7 5 5 6,5 8 11 14 15 15 ");
    EXPECT_EQ(days, "31 28 31 30 31 30 31 31 30 31 30 31 ");

    SheetTexts texts{};
    EXPECT_FALSE(anyFilled(texts, { fields::LightingHours, fields::LightingDays }));
    texts[11][fields::LightingDays] = "31";
    EXPECT_TRUE(anyFilled(texts, { fields::LightingHours, fields::LightingDays }));
    EXPECT_FALSE(anyFilled(texts, { fields::Date }));
}

} // namespace
