#include "sheet/readings.h"
#include "sheet/route_file.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

namespace {

constexpr int Y = 2024;

int cell(int year, int m, int b)
{
    return sheet::cellField(year, m, b);
}

// Subscribers with a tariff for every month of 2023 and 2024 and nothing read yet.
RecordTable tableOf(std::vector<std::string> names)
{
    RecordTable table;
    table.setRecordCount(int(names.size()));
    for (int r = 1; r <= int(names.size()); ++r) {
        table.set(r, fields::Number, std::to_string(r));
        table.set(r, fields::FullName, names[std::size_t(r - 1)]);
        for (int year : { 2023, 2024 })
            for (int m = 1; m <= 12; ++m)
                table.set(r, cell(year, m, fields::Tariff), "5,5");
    }
    return table;
}

std::string at(const RecordTable& table, int r, int year, int m, int b)
{
    return std::string(table.field(r, cell(year, m, b)));
}

TEST(Readings, PreviousComesFromTheMonthBeforeAcrossTheNewYear)
{
    RecordTable table = tableOf({ "Иванов И. И." });
    table.set(1, cell(2023, 12, fields::CurrentReading), "1200");
    table.set(1, cell(Y, 6, fields::CurrentReading), "1800");

    const readings::RowView january = readings::viewRow(table, 1, Y, 1);
    EXPECT_EQ(january.previous, "1200");
    EXPECT_TRUE(january.previousFilledIn);
    EXPECT_EQ(readings::viewRow(table, 1, Y, 7).previous, "1800");
    // January of the file's first year has no December before it.
    EXPECT_EQ(readings::viewRow(table, 1, table.years().first(), 1).previous, "");

    // A stored previous reading is shown as it is, never the autofill's.
    table.set(1, cell(Y, 7, fields::PreviousReading), "1790");
    const readings::RowView july = readings::viewRow(table, 1, Y, 7);
    EXPECT_EQ(july.previous, "1790");
    EXPECT_FALSE(july.previousFilledIn);
}

TEST(Readings, StoringFillsThePreviousAndTheMonthChargesAsTheSheetDoes)
{
    RecordTable table = tableOf({ "Иванов И. И." });
    table.set(1, cell(2023, 12, fields::CurrentReading), "1200");
    ASSERT_TRUE(readings::storeRow(table, 1, Y, 1, "31,01,24", "1300.5"));

    EXPECT_EQ(at(table, 1, Y, 1, fields::Date), "31.01.24");
    EXPECT_EQ(at(table, 1, Y, 1, fields::CurrentReading), "1300,5");
    EXPECT_EQ(at(table, 1, Y, 1, fields::PreviousReading), "1200");
    // The hidden charge is the sheet's own: 100,5 kWh at 5,5.
    const sheet::SheetComputation c = sheet::computeSheet(*sheet::readYear(table, 1, "2024"));
    EXPECT_EQ(at(table, 1, Y, 1, fields::MonthCharge), c.hiddenTotal[1]);
    EXPECT_EQ(c.hiddenTotal[1], "552,75");

    const readings::RowView row = readings::viewRow(table, 1, Y, 1);
    EXPECT_EQ(row.consumption, "100,5");
    EXPECT_EQ(row.energy, "100,50");

    // Clearing the reading leaves the previous one that is now stored.
    ASSERT_TRUE(readings::storeRow(table, 1, Y, 1, "", ""));
    EXPECT_EQ(at(table, 1, Y, 1, fields::CurrentReading), "");
    EXPECT_EQ(at(table, 1, Y, 1, fields::MonthCharge), "0");
}

TEST(Readings, StoringKeepsOnlyWhatTheFileCanHold)
{
    RecordTable table = tableOf({ "Иванов И. И." });
    ASSERT_TRUE(readings::storeRow(table, 1, Y, 3, "31.03.24", "12|34\r\n"));
    EXPECT_EQ(at(table, 1, Y, 3, fields::CurrentReading), "1234");
    // Nothing is stored into a year the file does not hold.
    const RecordTable before = table;
    EXPECT_FALSE(readings::storeRow(table, 1, 2031, 3, "", "5"));
    EXPECT_FALSE(readings::storeRow(table, 1, Y, 13, "", "5"));
    EXPECT_EQ(at(table, 1, Y, 3, fields::CurrentReading), "1234");
}

TEST(Readings, RemarkSaysWhyAMonthLooksWrong)
{
    struct Case
    {
        const char* what;
        const char* previous;
        const char* current;
        const char* remarkStart; // "" for no remark
    };
    const Case cases[] = {
        { "below the previous reading", "1500", "1400",
            "Показание меньше предыдущего: Текущее 1400, последнее 1500" },
        { "no previous reading", "", "1400", "Нет предыдущего показания" },
        { "a sharp rise", "1500", "2000", "Резкий рост: Разница 500 кВт*Ч" },
        { "a rise within three times the usual", "1500", "1590", "" },
        { "nothing typed yet", "1500", "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordTable table = tableOf({ "Иванов И. И." });
        // Six months of 30 kWh before: the usual month.
        for (int m = 1; m <= 6; ++m) {
            table.set(1, cell(Y, m, fields::PreviousReading), std::to_string(1320 + 30 * (m - 1)));
            table.set(1, cell(Y, m, fields::CurrentReading), std::to_string(1350 + 30 * (m - 1)));
        }
        table.set(1, cell(Y, 7, fields::PreviousReading), c.previous);
        table.set(1, cell(Y, 7, fields::CurrentReading), c.current);
        const std::string remark = readings::remarkOf(table, 1, Y, 7);
        if (std::string(c.remarkStart).empty())
            EXPECT_EQ(remark, "");
        else
            EXPECT_EQ(remark.substr(0, std::string(c.remarkStart).size()), c.remarkStart) << remark;
    }
}

TEST(Readings, RemarkLeavesOutWhatTheTreasurerCannotMendWhileTyping)
{
    RecordTable table = tableOf({ "Иванов И. И." });
    table.set(1, cell(Y, 5, fields::Tariff), "");
    table.set(1, cell(Y, 5, fields::PreviousReading), "100");
    table.set(1, cell(Y, 5, fields::CurrentReading), "150");
    // No tariff is a finding of the check, not of typing a reading.
    EXPECT_EQ(readings::remarkOf(table, 1, Y, 5), "");
}

TEST(Readings, MonthEndDateFollowsLeapYears)
{
    EXPECT_EQ(readings::monthEndDate(2024, 2), "29.02.24");
    EXPECT_EQ(readings::monthEndDate(2025, 2), "28.02.25");
    EXPECT_EQ(readings::monthEndDate(2026, 7), "31.07.26");
}

TEST(RouteFile, KeepsTheOrderAndPutsNewRecordsLast)
{
    RecordTable table = tableOf({ "Антонов А. А.", "Борисов Б. Б.", "Уличное освещение", "Волков В. В." });
    EXPECT_EQ(route::recordOrder(table), (std::vector<int>{ 1, 2, 4 }));

    const std::string saved = route::bytes({ 4, 1 }, table);
    EXPECT_EQ(saved, cp1251::encode("4\tВолков В. В.\r\n1\tАнтонов А. А.\r\n"));
    // Борисов is not listed: he goes last; the street lighting never appears.
    EXPECT_EQ(route::parse(saved, table), (std::vector<int>{ 4, 1, 2 }));
}

TEST(RouteFile, FollowsRecordsRenumberedByADeletion)
{
    RecordTable before = tableOf({ "Антонов А. А.", "Борисов Б. Б.", "Волков В. В.", "Громов Г. Г." });
    const std::string saved = route::bytes({ 4, 2, 3, 1 }, before);
    // Борисов deleted: Волков and Громов are now records 2 and 3.
    RecordTable after = tableOf({ "Антонов А. А.", "Волков В. В.", "Громов Г. Г." });
    EXPECT_EQ(route::parse(saved, after), (std::vector<int>{ 3, 2, 1 }));
}

TEST(RouteFile, ReadsNamesakesAndDamagedLinesSoundly)
{
    RecordTable table = tableOf({ "Иванов И. И.", "Петров П. П.", "Иванов И. И." });
    const std::string text = "3\tИванов И. И.\r\n"
                             "3\tИванов И. И.\r\n" // a repeat
                             "x\tИванов И. И.\r\n" // no number: the namesake not listed yet
                             "99\tСидоров С. С.\r\n" // nobody of that name
                             "line without a tab\r\n";
    EXPECT_EQ(route::parse(cp1251::encode(text), table), (std::vector<int>{ 3, 1, 2 }));
    EXPECT_EQ(route::parse("", table), (std::vector<int>{ 1, 2, 3 }));
}

TEST(RouteFile, MovesStopAtTheEnds)
{
    std::vector<int> order = { 1, 2, 3 };
    EXPECT_FALSE(route::move(order, 0, -1));
    EXPECT_TRUE(route::move(order, 0, 1));
    EXPECT_FALSE(route::move(order, 2, 1));
    EXPECT_EQ(order, (std::vector<int>{ 2, 1, 3 }));
}

} // namespace
