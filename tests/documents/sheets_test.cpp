#include "documents/sheets.h"

#include <gtest/gtest.h>

namespace {

using documents::LedgerRowsPerSheet;
using documents::StatementRowsPerSheet;

RecordTable subscribers(int count)
{
    RecordTable table;
    table.setRecordCount(count);
    for (int row = 1; row <= count; ++row) {
        table.set(row, fields::Number, std::to_string(row));
        table.set(row, fields::FullName, "Абонент " + std::to_string(row));
        table.set(row, fields::Address, "уч. " + std::to_string(row));
    }
    return table;
}

const documents::LedgerSums Sums = { "1,00", "2,00", "3,00", "4,00", "5,00", "6,00", "7,00", "8,00", "9,00",
    "10,00", "11,00", "12,00", "13,00" };

bool isSumRow(const documents::LedgerRow& row)
{
    return row[1] == "      Сумма столбцов:";
}

TEST(DocumentSheets, LabelIndexesBecomeMonthNumbers)
{
    EXPECT_EQ(documents::reportMonthNumber(101), 1);
    EXPECT_EQ(documents::reportMonthNumber(112), 12);
    EXPECT_EQ(documents::reportMonthNumber(7), 7);
    EXPECT_EQ(documents::reportMonthNumber(0), 0);
}

TEST(DocumentSheets, StatementSheetsHold53Subscribers)
{
    struct Case
    {
        int subscribers;
        int sheets;
        int lastSheetRows;
    };
    for (const Case& c :
        { Case{ 1, 1, 1 }, Case{ 53, 1, 53 }, Case{ 54, 2, 1 }, Case{ 1061, 21, 1 }, Case{ 3001, 57, 33 } }) {
        const RecordTable table = subscribers(c.subscribers);
        const auto readings = documents::lastReadings(table, "2026", 3);
        EXPECT_EQ(documents::statementSheetCount(table), c.sheets) << c.subscribers;
        const auto last = documents::statementRows(table, readings, c.sheets);
        ASSERT_EQ(int(last.size()), c.lastSheetRows) << c.subscribers;
        EXPECT_EQ(last.back()[1], "Абонент " + std::to_string(c.subscribers));
        if (c.sheets > 1) {
            EXPECT_EQ(int(documents::statementRows(table, readings, 1).size()), StatementRowsPerSheet);
        }
    }
}

TEST(DocumentSheets, StatementRowsCarryTheStartReadingOfTheMonth)
{
    RecordTable table = subscribers(3);
    // March 2026 (year 6): the "Последнее" cell is the month's field 2.
    table.set(1, fields::monthBase(6, 3) + fields::PreviousReading, "27433");
    table.set(2, fields::monthBase(6, 2) + fields::PreviousReading, "февральское");
    table.set(3, fields::monthBase(6, 3) + fields::CurrentReading, "текущее");
    const auto rows = documents::statementRows(table, documents::lastReadings(table, "2026", 3), 1);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (documents::StatementRow{ "1", "Абонент 1", "уч. 1", "27433", "" }));
    EXPECT_EQ(rows[1][3], "");
    EXPECT_EQ(rows[2][3], "");
}

TEST(DocumentSheets, WithoutAStartReadingTheStatementShowsTheLastKnownOne)
{
    RecordTable table = subscribers(5);
    const auto current = [&](int row, int k, int m, const char* reading) {
        table.set(row, fields::monthBase(k, m) + fields::CurrentReading, reading);
    };
    // 1: December 2020 read, January 2021 not yet autofilled (it never is across the year).
    current(1, 0, 12, "15020");
    // 2: a gap of several empty months after May and October 2020: the nearest counts.
    current(2, 0, 5, "800");
    current(2, 0, 10, "950");
    // 3: its own start reading wins over an earlier month's.
    current(3, 0, 12, "400");
    table.set(3, fields::monthBase(1, 3) + fields::PreviousReading, "410");
    // 4: only a later month has a reading; 5: nothing at all.
    current(4, 1, 4, "700");
    const auto readings = documents::lastReadings(table, "2021", 3);
    EXPECT_EQ(readings[1], "15020");
    EXPECT_EQ(readings[2], "950");
    EXPECT_EQ(readings[3], "410");
    EXPECT_EQ(readings[4], "");
    EXPECT_EQ(readings[5], "");
    EXPECT_EQ(documents::lastReadings(table, "2021", 1)[1], "15020");
    // January 2020 has nothing before it.
    EXPECT_EQ(documents::lastReadings(table, "2020", 1)[1], "");
}

TEST(DocumentSheets, NoMonthGivesAnEmptyReadingColumnNeverAnotherField)
{
    RecordTable table = subscribers(2);
    for (int f = 8; f <= fields::PerRecord; ++f)
        table.set(1, f, "занято");
    for (const auto& [year, month] :
        std::vector<std::pair<std::string, int>>{ { "2026", 0 }, { "2026", 13 }, { "2019", 3 } }) {
        const auto readings = documents::lastReadings(table, year, month);
        ASSERT_EQ(readings.size(), 3u);
        EXPECT_EQ(readings[1], "") << year << " " << month;
    }
}

TEST(DocumentSheets, StatementStopsAtTheFirstRecordWithoutAName)
{
    RecordTable table = subscribers(5);
    table.set(3, fields::FullName, "");
    EXPECT_EQ(documents::statementRows(table, documents::lastReadings(table, "2026", 1), 1).size(), 2u);
}

TEST(DocumentSheets, LedgerSumRowFollowsTheLastSubscriber)
{
    struct Case
    {
        int subscribers;
        int sheets;
        int lastSheetRows; // the sum row included
    };
    // A list that fills its sheet exactly gets a further sheet for the sums, so they are printed.
    for (const Case& c : { Case{ 0, 1, 1 }, Case{ 32, 1, 33 }, Case{ 33, 2, 1 }, Case{ 40, 2, 8 },
             Case{ 66, 3, 1 }, Case{ 3001, 91, 32 } }) {
        const RecordTable table = subscribers(c.subscribers);
        const int base = fields::ledgerBase(6, 1);
        EXPECT_EQ(documents::ledgerSheetCount(table), c.sheets) << c.subscribers;
        const auto last = documents::ledgerRows(table, base, Sums, c.sheets);
        ASSERT_EQ(int(last.size()), c.lastSheetRows) << c.subscribers;
        EXPECT_TRUE(isSumRow(last.back())) << c.subscribers;
        for (int sheet = 1; sheet < c.sheets; ++sheet) {
            const auto rows = documents::ledgerRows(table, base, Sums, sheet);
            ASSERT_EQ(int(rows.size()), LedgerRowsPerSheet);
            EXPECT_FALSE(isSumRow(rows.back())) << c.subscribers << " sheet " << sheet;
        }
    }
}

TEST(DocumentSheets, LedgerRowsShowTheMonthsAccountFields)
{
    RecordTable table = subscribers(1);
    const int b = fields::ledgerBase(6, 3);
    const std::vector<std::pair<int, std::string>> stored
        = { { b - 1, "399,72" }, { b, "10,00" }, { b + 1, "2,00" }, { b + 2, "скрыто" }, { b + 3, "150,00" },
              { b + 4, "5,00" }, { b + 5, "562,72" }, { b + 6, "500,00" }, { b + 7, "скрыто" },
              { b + 8, "7,00" }, { b + 9, "55,72" }, { b + 10, "" }, { b + 11, "скрыто" } };
    for (const auto& [f, text] : stored)
        table.set(1, f, text);
    const auto rows = documents::ledgerRows(table, b, Sums, 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
        (documents::LedgerRow{ "1", "Абонент 1", "10,00", "2,00", "399,72", "150,00", "5,00", "562,72",
            "500,00", "7,00", "55,72", "" }));
    // The sums in the order of the columns; the other-income column has none on paper.
    EXPECT_EQ(rows[1],
        (documents::LedgerRow{ " ", "      Сумма столбцов:", "1,00", "2,00", "3,00", "5,00", "6,00", "7,00",
            "8,00", "", "11,00", "12,00" }));
}

TEST(DocumentSheets, LedgerRowsWithoutAMonthBlockShowNoDirectoryFields)
{
    const RecordTable table = subscribers(1);
    const auto rows = documents::ledgerRows(table, 0, Sums, 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "Абонент 1");
    for (int c = 2; c < 12; ++c)
        EXPECT_EQ(rows[0][std::size_t(c)], "") << c;
}

} // namespace
