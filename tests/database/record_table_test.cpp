#include "database/record_table.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

TEST(RecordTable, FieldsStartEmptyAndKeepWhatIsSet)
{
    RecordTable table;
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_EQ(table.field(1, 2), "");
    table.set(1, 2, "Иванов И. И.");
    table.set(3001, 2200, "край");
    table.set(0, 0, "нулевая");
    EXPECT_EQ(table.field(1, 2), "Иванов И. И.");
    EXPECT_EQ(table.field(3001, 2200), "край");
    EXPECT_EQ(table.field(0, 0), "нулевая");
    // Outside the table nothing is kept and nothing breaks.
    table.set(3002, 1, "x");
    table.set(1, 2201, "x");
    table.set(-1, 1, "x");
    EXPECT_EQ(table.field(3002, 1), "");
    EXPECT_EQ(table.field(1, 2201), "");
}

TEST(RecordTable, SeparatorsAndForeignCharactersNeverEnterAField)
{
    RecordTable table;
    table.set(1, 3, "ул. Лесная | 5");
    table.set(1, 4, "тел. ☎ 123");
    EXPECT_EQ(table.field(1, 3), "ул. Лесная  5");
    EXPECT_EQ(table.field(1, 4), "тел.  123");
    EXPECT_EQ(table.field(1, 5), "");
}

TEST(RecordTable, SwapAndClearMoveWholeRecords)
{
    RecordTable table;
    table.set(2, 2, "Второй");
    table.set(2, 1500, "1,8");
    table.set(3, 2, "Третий");
    table.swapRecords(2, 3);
    EXPECT_EQ(table.field(2, 2), "Третий");
    EXPECT_EQ(table.field(3, 2), "Второй");
    EXPECT_EQ(table.field(3, 1500), "1,8");
    table.clearRecord(3);
    EXPECT_EQ(table.field(3, 2), "");
    EXPECT_EQ(table.field(3, 1500), "");
}

// Many edits of every kind, checked against a plain map: in-place writes, appends, compaction.
TEST(RecordTable, ManyEditsAgreeWithASimpleModel)
{
    RecordTable table;
    std::map<std::pair<int, int>, std::string> model;
    std::mt19937 random(7);
    const char* values[] = { "", "1", "12,50", "Петров П. П.", "0,25", "10700", "длинный текст примечания" };
    for (int i = 0; i < 200000; ++i) {
        const int row = std::uniform_int_distribution<int>(0, 5)(random);
        const int f = std::uniform_int_distribution<int>(0, 2200)(random) % (i % 3 == 0 ? 20 : 2201);
        const std::string value = values[std::uniform_int_distribution<int>(0, 6)(random)];
        table.set(row, f, value);
        model[{ row, f }] = value;
        if (i % 50000 == 0)
            table.record(row).compact();
    }
    for (const auto& [key, value] : model)
        ASSERT_EQ(table.field(key.first, key.second), value) << key.first << ":" << key.second;
}

TEST(RecordTable, CompactedRecordIsItsFileLineInOrder)
{
    RecordTable table;
    table.set(1, 1, "1");
    table.set(1, 2, "Иванов");
    table.set(1, 2128, "z");
    table.set(1, 0, "только в памяти");
    table.set(1, 2150, "тоже");
    table.record(1).compact();
    ASSERT_TRUE(table.record(1).isInOrder());
    const std::string_view line = table.record(1).orderedLine();
    const std::string_view start = "1|Иванов|";
    EXPECT_EQ(line.substr(0, start.size()), start);
    EXPECT_EQ(line.back(), '|');
    EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 2128);
    EXPECT_EQ(line.substr(line.size() - 2), "z|");
    EXPECT_EQ(table.field(1, 0), "только в памяти");
    EXPECT_EQ(table.field(1, 2150), "тоже");
}

TEST(RecordTable, ACopyIsIndependentOfItsOriginal)
{
    RecordTable table;
    table.setRecordCount(2);
    table.set(1, 2, "Иванов");
    table.set(2, 1500, "1,8");
    RecordTable copy = table;
    copy.set(1, 2, "Петров");
    EXPECT_EQ(table.field(1, 2), "Иванов");
    EXPECT_EQ(copy.field(1, 2), "Петров");
    EXPECT_EQ(copy.field(2, 1500), "1,8");
    EXPECT_EQ(copy.recordCount(), 2);
    table = copy;
    EXPECT_EQ(table.field(1, 2), "Петров");
}
