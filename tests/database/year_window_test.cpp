// The eight years a database holds, and how the file keeps them in field 2128.

#include "database/database_file.h"
#include "database/year_window.h"
#include "demo_data.h"
#include "support/files.h"

#include <gtest/gtest.h>

using fields::YearWindow;

namespace {

TEST(YearWindow, EachYearKeepsItsBlockWhileTheWindowMovesOn)
{
    const YearWindow first;
    EXPECT_EQ(first.first(), 2020);
    EXPECT_EQ(first.last(), 2027);
    EXPECT_EQ(first.years(), (std::array<int, 8>{ 2020, 2021, 2022, 2023, 2024, 2025, 2026, 2027 }));
    // The first window is the field map as it always was: 2020-January at 8, 2027-December at 2105.
    EXPECT_EQ(fields::baseOfMonth(2020, 1), 8);
    EXPECT_EQ(fields::baseOfMonth(2027, 12), 2105);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(first.yearOfBlock(k), 2020 + k);

    // 2028 takes the block 2020 leaves; every other year stays where it was.
    const YearWindow next = first.movedOn();
    EXPECT_EQ(next.first(), 2021);
    EXPECT_EQ(next.last(), 2028);
    EXPECT_EQ(fields::baseOfMonth(2028, 1), fields::baseOfMonth(2020, 1));
    EXPECT_EQ(next.yearOfBlock(0), 2028);
    EXPECT_EQ(next.yearOfBlock(1), 2021);
    EXPECT_EQ(YearWindow(2029).yearOfBlock(1), 2029);
    EXPECT_EQ(YearWindow(2100).yearOfBlock(0), 2100);
    EXPECT_EQ(YearWindow(2100).yearOfBlock(7), 2107);

    EXPECT_TRUE(next.holds(2028));
    EXPECT_FALSE(next.holds(2020));
    EXPECT_EQ(next.previous(2021), std::nullopt);
    EXPECT_EQ(next.previous(2028), 2027);
    EXPECT_EQ(next.next(2027), 2028);
    EXPECT_EQ(next.next(2028), std::nullopt);
    EXPECT_EQ(next.nearest(2020), 2021);
    EXPECT_EQ(next.nearest(2031), 2028);

    // Months in time order run across the year boundary, whichever blocks the years are in.
    EXPECT_EQ(next.ordinal({ 2021, 1 }), 0);
    EXPECT_EQ(next.ordinal({ 2028, 1 }), 84);
    EXPECT_EQ(next.at(83), (fields::YearMonth{ 2027, 12 }));
    EXPECT_EQ(next.at(95), (fields::YearMonth{ 2028, 12 }));

    EXPECT_TRUE(YearWindow(2100).canMoveOn() == false);
    EXPECT_EQ(YearWindow(2019).first(), 2020);
    EXPECT_EQ(YearWindow(2101).first(), 2020);
}

TEST(YearWindow, YearTextsAreFourDigitsOfAHeldYear)
{
    const YearWindow years(2022);
    EXPECT_EQ(years.find("2029"), 2029);
    for (const char* text : { "2021", "2030", " 2025", "2025 ", "+202", "-2025", "25", "20250", "", "год" })
        EXPECT_EQ(years.find(text), std::nullopt) << text;
    // The side files keep the months of every year a window may hold.
    EXPECT_EQ(fields::parseStoredYear("2020"), 2020);
    EXPECT_EQ(fields::parseStoredYear("2107"), 2107);
    EXPECT_EQ(fields::parseStoredYear("2019"), std::nullopt);
    EXPECT_EQ(fields::parseStoredYear("2108"), std::nullopt);
}

// A line of the file: record number, name, and `window` in field 2128.
std::string lineWith(int number, const std::string& name, const std::string& window)
{
    std::vector<std::string> texts(fields::PerRecord);
    texts[0] = std::to_string(number);
    texts[1] = name;
    texts.back() = window;
    return databaseLine(texts);
}

class WindowInTheFile : public ::testing::Test
{
protected:
    TempFolder folder;
    std::string path = folder.file("Tervolin2.spb");
    RecordTable table;

    int loadedFirstYear()
    {
        EXPECT_EQ(database::load(path, table).status, database::LoadResult::Status::Loaded);
        return table.years().first();
    }
};

TEST_F(WindowInTheFile, AFileOfTheFirstWindowRoundTripsByteForByte)
{
    RecordTable demo;
    fillDemoTable(demo, fullDemoOptions(50));
    ASSERT_TRUE(database::write(path, demo));
    const std::string bytes = readBytes(path);
    EXPECT_EQ(loadedFirstYear(), 2020);
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), bytes);
    // Field 2128 stays empty in every record.
    for (int row = 1; row <= table.recordCount(); ++row)
        ASSERT_EQ(table.field(row, fields::WindowField), "");
}

TEST_F(WindowInTheFile, TheLatestYearInField2128IsTheFirstYear)
{
    // Records added by a copy that knows no window have the field empty; they do not move it back.
    writeBytes(
        path, lineWith(1, "Иванов", "2022") + lineWith(2, "Петров", "") + lineWith(3, "Сидоров", "2021"));
    EXPECT_EQ(loadedFirstYear(), 2022);
    // Every write names the window in every record.
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path),
        lineWith(1, "Иванов", "2022") + lineWith(2, "Петров", "2022") + lineWith(3, "Сидоров", "2022"));
}

TEST_F(WindowInTheFile, AFieldThatNamesNoWindowIsKeptAndIgnored)
{
    const std::string odd[] = { "2020", "2019", "2101", "год", "20 22", "02022" };
    std::string bytes;
    int number = 0;
    for (const std::string& text : odd)
        bytes += lineWith(++number, "Иванов", text);
    writeBytes(path, bytes);
    EXPECT_EQ(loadedFirstYear(), 2020);
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), bytes);

    // Beside a window that has moved, such a text stays too.
    writeBytes(path, lineWith(1, "Иванов", "мусор") + lineWith(2, "Петров", "2023"));
    EXPECT_EQ(loadedFirstYear(), 2023);
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), lineWith(1, "Иванов", "мусор") + lineWith(2, "Петров", "2023"));
}

TEST_F(WindowInTheFile, AWindowMovedBackToTheFirstEmptiesTheField)
{
    writeBytes(path, lineWith(1, "Иванов", "2024"));
    EXPECT_EQ(loadedFirstYear(), 2024);
    table.setYears(YearWindow());
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), lineWith(1, "Иванов", ""));
}

} // namespace
