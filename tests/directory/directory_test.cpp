#include "directory/directory.h"

#include "database/database_file.h"
#include "demo_data.h"
#include "support/files.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// A table of n subscribers whose every stored field says which subscriber and field it is.
RecordTable numberedTable(int n)
{
    RecordTable table;
    table.setRecordCount(n);
    for (int row = 1; row <= n; ++row) {
        table.set(row, fields::Number, std::to_string(row));
        for (int f = 2; f <= fields::PerRecord; ++f)
            table.set(row, f, "r" + std::to_string(row) + "f" + std::to_string(f));
    }
    return table;
}

// Whether row holds the fields of the subscriber that was first written as `original`.
::testing::AssertionResult holdsRecord(const RecordTable& table, int row, int original)
{
    if (table.field(row, fields::Number) != std::to_string(row))
        return ::testing::AssertionFailure() << "row " << row << " is numbered " << table.field(row, 1);
    for (int f = 2; f <= fields::PerRecord; ++f) {
        const std::string expected = "r" + std::to_string(original) + "f" + std::to_string(f);
        if (table.field(row, f) != expected)
            return ::testing::AssertionFailure()
                << "row " << row << " field " << f << " is " << table.field(row, f) << ", not " << expected;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult isEmptyRow(const RecordTable& table, int row)
{
    for (int f = 0; f <= fields::MaxField; ++f) {
        if (!table.field(row, f).empty())
            return ::testing::AssertionFailure()
                << "row " << row << " field " << f << " holds " << table.field(row, f);
    }
    return ::testing::AssertionSuccess();
}

TEST(DirectoryDelete, LaterRecordsMoveUpWithEveryFieldAndTheLastRowIsEmptied)
{
    RecordTable table = numberedTable(5);
    ASSERT_TRUE(directory::deleteRecord(table, 3));
    EXPECT_EQ(table.recordCount(), 4);
    EXPECT_TRUE(holdsRecord(table, 1, 1));
    EXPECT_TRUE(holdsRecord(table, 2, 2));
    EXPECT_TRUE(holdsRecord(table, 3, 4)); // the former subscriber 4, yearly and ledger data included
    EXPECT_TRUE(holdsRecord(table, 4, 5));
    EXPECT_TRUE(isEmptyRow(table, 5));
}

TEST(DirectoryDelete, TheLastSubscriberGoesWithoutMovingAnyone)
{
    RecordTable table = numberedTable(4);
    ASSERT_TRUE(directory::deleteRecord(table, 4));
    EXPECT_EQ(table.recordCount(), 3);
    for (int row = 1; row <= 3; ++row)
        EXPECT_TRUE(holdsRecord(table, row, row));
    EXPECT_TRUE(isEmptyRow(table, 4));
}

TEST(DirectoryDelete, RefusesTheFirstTheOnlyAndRowsOutsideTheDirectory)
{
    struct Case
    {
        int records;
        int row;
    };
    for (const Case c : { Case{ 3, 1 }, Case{ 1, 1 }, Case{ 3, 0 }, Case{ 3, 4 }, Case{ 3, -1 } }) {
        RecordTable table = numberedTable(c.records);
        EXPECT_FALSE(directory::canDelete(table, c.row)) << c.records << " records, row " << c.row;
        EXPECT_FALSE(directory::deleteRecord(table, c.row));
        EXPECT_EQ(table.recordCount(), c.records);
        for (int row = 1; row <= c.records; ++row)
            EXPECT_TRUE(holdsRecord(table, row, row));
    }
}

TEST(DirectoryDelete, RenumbersAcrossTheDigitBoundariesAndWritesTheShiftedFile)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    RecordTable table;
    DemoOptions options;
    options.subscribers = 1002;
    fillDemoTable(table, options);
    const std::string secondName(table.field(3, fields::FullName));
    const std::string lastLedger(table.field(1002, fields::ledgerBase(3, 5)));
    ASSERT_TRUE(directory::deleteRecord(table, 2));
    ASSERT_TRUE(database::write(path, table));

    RecordTable reloaded;
    ASSERT_EQ(database::load(path, reloaded).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(reloaded.recordCount(), 1001);
    for (int row : { 9, 10, 99, 100, 999, 1000, 1001 })
        EXPECT_EQ(reloaded.field(row, fields::Number), std::to_string(row));
    EXPECT_EQ(reloaded.field(2, fields::FullName), secondName);
    EXPECT_EQ(reloaded.field(1001, fields::ledgerBase(3, 5)), lastLedger);
}

TEST(DirectoryAdd, NewSubscribersGoBehindTheLastWithEveryOtherFieldEmpty)
{
    RecordTable table = numberedTable(3);
    // Rows 4 and 5 still hold what a deletion or an unconfirmed addition left there.
    for (int f = 0; f <= fields::MaxField; ++f) {
        table.set(4, f, "old4");
        table.set(5, f, "old5");
    }
    const directory::Entry first = { "Новиков Н. С.", "уч. 4", "+7 900 000-00-04", "НЕВА 101", "новый" };
    const directory::Entry second = { "  Орлова О. Г. ", "", "", "", "" };
    EXPECT_EQ(directory::writePendingRecord(table, 0, first), 4);
    EXPECT_EQ(directory::writePendingRecord(table, 1, second), 5);
    EXPECT_EQ(table.recordCount(), 3) << "counted in only once confirmed";

    EXPECT_EQ(table.field(4, fields::Number), "4");
    EXPECT_EQ(directory::entry(table, 4), first);
    EXPECT_EQ(table.field(5, fields::Number), "5");
    EXPECT_EQ(table.field(5, fields::FullName), "  Орлова О. Г. ") << "stored as typed";
    for (int row : { 4, 5 }) {
        EXPECT_TRUE(table.field(row, 0).empty());
        for (int f = fields::Unused; f <= fields::MaxField; ++f)
            ASSERT_TRUE(table.field(row, f).empty()) << "row " << row << " field " << f;
    }

    directory::confirmAdditions(table, 2);
    EXPECT_EQ(table.recordCount(), 5);
    EXPECT_TRUE(holdsRecord(table, 3, 3));
}

TEST(DirectoryAdd, UnconfirmedAdditionsAreOverwrittenByTheNextOpening)
{
    RecordTable table = numberedTable(2);
    directory::writePendingRecord(table, 0, { "Черновик", "", "", "", "" });
    directory::writePendingRecord(table, 1, { "Черновик 2", "", "", "", "" });
    // The dialog closed without confirming: the next opening starts again at row 3.
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(directory::writePendingRecord(table, 0, { "Белова Т. Ю.", "", "", "", "" }), 3);
    EXPECT_EQ(table.field(3, fields::FullName), "Белова Т. Ю.");
}

TEST(DirectoryAdd, NoRowBeyondTheTablesLast)
{
    RecordTable table;
    table.setRecordCount(fields::MaxRecords - 2);
    table.set(fields::MaxRecords, fields::Address, "untouched");
    EXPECT_EQ(directory::writePendingRecord(table, 0, { "a", "", "", "", "" }), fields::MaxRecords - 1);
    EXPECT_EQ(directory::writePendingRecord(table, 1, { "b", "", "", "", "" }), fields::MaxRecords);
    EXPECT_FALSE(directory::hasRoomForAnother(table, 2));
    EXPECT_EQ(directory::writePendingRecord(table, 2, { "c", "", "", "", "" }), 0);
    directory::confirmAdditions(table, 2);
    EXPECT_EQ(table.recordCount(), fields::MaxRecords);
    EXPECT_EQ(directory::writePendingRecord(table, 0, { "d", "", "", "", "" }), 0);
    EXPECT_EQ(table.field(fields::MaxRecords, fields::FullName), "b");
}

TEST(DirectoryNames, TakenNamesCompareExactly)
{
    RecordTable table = numberedTable(0);
    table.setRecordCount(2);
    table.set(1, fields::FullName, "Иванов А. В.");
    table.set(2, fields::FullName, "Петрова И. П.");
    table.set(3, fields::FullName, "Сидоренко Н. С."); // an unconfirmed addition
    EXPECT_TRUE(directory::nameExists(table, "Петрова И. П.", 2));
    EXPECT_FALSE(directory::nameExists(table, "петрова и. п.", 2));
    EXPECT_FALSE(directory::nameExists(table, "Петрова И. П. ", 2));
    EXPECT_FALSE(directory::nameExists(table, "Сидоренко Н. С.", 2));
    EXPECT_TRUE(directory::nameExists(table, "Сидоренко Н. С.", 3));
}

TEST(DirectoryNames, TheLimitCountsLettersNotBytes)
{
    // Cyrillic letters take two bytes each in memory but one in the file.
    std::string name;
    for (int i = 0; i < directory::NameLimit; ++i)
        name += i % 2 ? "я" : "z";
    EXPECT_EQ(directory::characterCount(name), directory::NameLimit);
    EXPECT_EQ(directory::firstCharacters(name, directory::NameLimit), name);
    EXPECT_EQ(directory::firstCharacters(name + "ЁЁЁ", directory::NameLimit), name);
    EXPECT_EQ(directory::firstCharacters("Ёлкин", 3), "Ёлк");
    EXPECT_EQ(directory::firstCharacters("Ёлкин", 0), "");
    EXPECT_EQ(directory::characterCount("№ 5 — уч."), 9);
}

TEST(DirectoryFind, LowerCaseFoldsEveryLetterTheDatabaseHolds)
{
    const struct
    {
        const char* text;
        const char* lowered;
    } cases[] = {
        { "АБВГДЕЖЗИЙКЛМНОП", "абвгдежзийклмноп" },
        { "РСТУФХЦЧШЩЪЫЬЭЮЯ", "рстуфхцчшщъыьэюя" },
        { "ЁЂЃЄЅІЇЈЉЊЋЌЎЏҐ", "ёђѓєѕіїјљњћќўџґ" },
        { "Семёнов С. А.", "семёнов с. а." },
        { "ООО «Свет» No 5", "ооо «свет» no 5" },
        { "уже маленькие ёж", "уже маленькие ёж" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(directory::lowerCase(c.text), c.lowered) << c.text;
}

TEST(DirectoryFind, MatchesNamesInAnyLetterCase)
{
    RecordTable table;
    const char* names[]
        = { "Петрова И. П.", "Иванов А. В.", "ПЕТРОВ П. П.", "Копетов К. Л.", "Петухов Д. Е." };
    table.setRecordCount(5);
    for (int row = 1; row <= 5; ++row)
        table.set(row, fields::FullName, names[row - 1]);
    table.set(6, fields::FullName, "Петров, не в справочнике");

    const directory::FindResult pet = directory::findNames(table, directory::lowerCase("пЕТ"));
    EXPECT_EQ(pet.rows, (std::vector<int>{ 1, 3, 4, 5 }));
    EXPECT_EQ(pet.count(), 4);
    EXPECT_EQ(pet.firstRow(), 1);

    const directory::FindResult petrov = directory::findNames(table, "петров");
    EXPECT_EQ(petrov.rows, (std::vector<int>{ 1, 3 }));

    const directory::FindResult none = directory::findNames(table, "сидоров");
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(none.firstRow(), 0);
    EXPECT_EQ(directory::findNames(table, "").count(), 0);
}

} // namespace
