#include "database/database_file.h"
#include "database/record_table.h"
#include "demo_data.h"
#include "support/files.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <tuple>

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
        const std::uint64_t version = table.record(row).version();
        const bool same = table.field(row, f) == value;
        table.set(row, f, value);
        model[{ row, f }] = value;
        // A write passes over a record of the version it wrote: every change must show.
        ASSERT_EQ(table.record(row).version() == version, same) << i;
        if (i % 50000 == 0) {
            // Put in order, the record holds the same texts.
            const std::uint64_t edited = table.record(row).version();
            table.record(row).compact();
            ASSERT_EQ(table.record(row).version(), edited);
        }
    }
    for (const auto& [key, value] : model)
        ASSERT_EQ(table.field(key.first, key.second), value) << key.first << ":" << key.second;
}

TEST(RecordTable, ARecordsVersionChangesWithItsTextsOnly)
{
    RecordTable table;
    table.setRecordCount(2);
    table.set(1, 2, "Иванов");
    table.set(1, 1500, "1,8");
    const std::uint64_t first = table.record(1).version();
    table.record(1).compact();
    table.set(1, 2, "Иванов");
    RecordTable copy = table;
    EXPECT_EQ(copy.record(1).version(), first);
    EXPECT_EQ(table.record(1).version(), first);

    table.set(2, 2, "Иванов");
    EXPECT_NE(table.record(2).version(), first); // the same texts, another change
    std::vector<std::uint64_t> seen = { first };
    const auto changed = [&](const char* what) {
        const std::uint64_t now = table.record(1).version();
        EXPECT_EQ(std::count(seen.begin(), seen.end(), now), 0) << what;
        seen.push_back(now);
    };
    table.record(1).setKeepingOrder(2, "Петров");
    changed("a text of the line set keeping its order");
    table.record(1).setKeepingOrder(2, "Петров");
    EXPECT_EQ(table.record(1).version(), seen.back());
    table.record(1).clearKeepingOrder(1400, 1600);
    changed("texts of the line emptied");
    table.set(1, 2150, "в памяти");
    changed("a text kept only in memory");
    table.clearRecord(1);
    changed("the record cleared");
    copy.set(1, 2, "Сидоров");
    EXPECT_NE(copy.record(1).version(), first);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), copy.record(1).version()), 0);
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

// A record read from its line keeps most of it in order after a few edits; compacted, it is the
// line of its fields again, whatever was emptied, grown or shrunk.
TEST(RecordTable, CompactingAnEditedRecordGivesTheLineOfItsFields)
{
    TempFolder folder;
    RecordTable made;
    fillDemoTable(made, fullDemoOptions(3));
    ASSERT_TRUE(database::write(folder.file("Tervolin2.spb"), made));
    RecordTable demo;
    ASSERT_EQ(
        database::load(folder.file("Tervolin2.spb"), demo).status, database::LoadResult::Status::Loaded);
    ASSERT_TRUE(demo.record(2).isInOrder());
    std::mt19937 random(11);
    const char* values[] = { "", "7", "12,50", "Петров П. П.", "длинный текст примечания" };
    for (int round = 0; round < 200; ++round) {
        RecordTable table = demo;
        Record& record = table.record(2);
        for (int edits = 0; edits < round % 40; ++edits) {
            const int f = std::uniform_int_distribution<int>(1, 2128)(random);
            record.set(f, values[std::uniform_int_distribution<int>(0, 4)(random)]);
        }
        record.set(0, round % 2 == 0 ? "только в памяти" : "");
        std::string expected;
        for (int f = 1; f <= 2128; ++f)
            expected.append(record.field(f)).append("|");
        const std::string inMemory(record.field(0));
        record.compact();
        ASSERT_TRUE(record.isInOrder());
        ASSERT_EQ(record.orderedLine(), expected) << "round " << round;
        ASSERT_EQ(record.field(0), inMemory);
    }
}

// Emptying a year and naming the window in a record read from its file keeps the record in order,
// every other field where it was, and the texts kept only in memory.
TEST(RecordTable, ChangesKeepingOrderLeaveTheRestOfTheLineAsItWas)
{
    TempFolder folder;
    RecordTable made;
    fillDemoTable(made, fullDemoOptions(2));
    ASSERT_TRUE(database::write(folder.file("Tervolin2.spb"), made));
    for (const auto& [from, to, window] :
        { std::tuple{ 8, 271, "2021" }, { 1863, 2126, "" }, { 2, 2, "2100" } }) {
        RecordTable table;
        ASSERT_EQ(
            database::load(folder.file("Tervolin2.spb"), table).status, database::LoadResult::Status::Loaded);
        Record& record = table.record(1);
        record.set(0, "только в памяти");
        record.set(2150, "тоже");
        std::vector<std::string> expected;
        for (int f = 0; f <= 2200; ++f)
            expected.emplace_back(record.field(f));
        for (int f = from; f <= to; ++f)
            expected[std::size_t(f)].clear();
        expected[2128] = window;
        record.clearKeepingOrder(from, to);
        record.setKeepingOrder(2128, window);
        for (int f = 0; f <= 2200; ++f)
            ASSERT_EQ(record.field(f), expected[std::size_t(f)]) << from << ": field " << f;
        ASSERT_TRUE(record.isInOrder());
        std::string line;
        for (int f = 1; f <= 2128; ++f)
            line.append(expected[std::size_t(f)]).append("|");
        EXPECT_EQ(record.orderedLine(), line);
        // A later change in the usual way still finds every field.
        record.set(500, "новое");
        EXPECT_EQ(record.field(500), "новое");
        EXPECT_EQ(record.field(501), expected[501]);
    }
}

// A record read from its file, edited in every way in turn (texts of the same length and of other
// lengths in its line, texts kept only in memory, years emptied, copies, compaction), checked
// against a plain list of its fields after every step.
TEST(RecordTable, EditsOfALoadedRecordAgreeWithASimpleModel)
{
    TempFolder folder;
    RecordTable made;
    fillDemoTable(made, fullDemoOptions(2));
    ASSERT_TRUE(database::write(folder.file("Tervolin2.spb"), made));
    RecordTable loaded;
    ASSERT_EQ(
        database::load(folder.file("Tervolin2.spb"), loaded).status, database::LoadResult::Status::Loaded);
    const char* values[] = { "", "7", "70", "12,50", "Петров П. П.", "длинный текст примечания" };
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 random(seed);
        const auto pick
            = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
        Record record = loaded.record(1 + int(seed % 2));
        std::vector<std::string> model;
        for (int f = 0; f <= 2200; ++f)
            model.emplace_back(record.field(f));
        for (int step = 0; step < 300; ++step) {
            const int kind = pick(0, 9);
            if (kind <= 5) {
                // Mostly fields of the line, many of them at or beside the fields marks point at.
                const int f = kind == 0 ? pick(0, 2200)
                    : kind == 1         ? pick(1, 266) * 8 + pick(-1, 1)
                                        : pick(1, 2128);
                const std::string value = kind == 2 && f <= 2200
                    ? std::string(model[std::size_t(std::max(f, 0))].size(), '9')
                    : values[pick(0, 5)];
                record.set(f, value);
                if (f >= 0 && f <= 2200)
                    model[std::size_t(f)] = value;
            } else if (kind == 6) {
                const int f = pick(1, 2128);
                record.setKeepingOrder(f, values[pick(0, 5)]);
                model[std::size_t(f)] = record.field(f);
            } else if (kind == 7) {
                const int from = pick(1, 2128);
                const int to = std::min(2128, from + pick(0, 300));
                record.clearKeepingOrder(from, to);
                for (int f = from; f <= to; ++f)
                    model[std::size_t(f)].clear();
            } else if (kind == 8) {
                record.compact();
                ASSERT_TRUE(record.isInOrder());
            } else {
                const Record copy = record;
                record.set(5, "только в оригинале");
                record = copy;
            }
            for (int f = 0; f <= 2200; ++f)
                ASSERT_EQ(record.field(f), model[std::size_t(f)])
                    << "seed " << seed << " step " << step << " field " << f;
            if (record.isInOrder()) {
                std::string line;
                for (int f = 1; f <= 2128; ++f)
                    line.append(model[std::size_t(f)]).append("|");
                ASSERT_EQ(record.orderedLine(), line) << "seed " << seed << " step " << step;
            }
        }
    }
}

// A loaded record that a user edits now and then stays the line of its file, so that a write
// copies it whole and the table stays about the size of the file.
TEST(RecordTable, AFewEditsKeepALoadedRecordInOrder)
{
    TempFolder folder;
    RecordTable made;
    fillDemoTable(made, fullDemoOptions(2));
    ASSERT_TRUE(database::write(folder.file("Tervolin2.spb"), made));
    RecordTable table;
    ASSERT_EQ(
        database::load(folder.file("Tervolin2.spb"), table).status, database::LoadResult::Status::Loaded);
    Record& record = table.record(2);
    record.set(2, "Сидорова-Петрова Анна Викторовна");
    record.set(1500, "");
    record.set(1501, "123456,78");
    record.set(0, "только в памяти");
    record.set(2150, "тоже");
    EXPECT_TRUE(record.isInOrder());
    EXPECT_EQ(record.field(2), "Сидорова-Петрова Анна Викторовна");
    EXPECT_EQ(record.field(1501), "123456,78");
    EXPECT_EQ(record.field(2150), "тоже");
    // A sheet stored whole is many edits: the record takes a start for every field, and the next
    // write puts it in order again.
    for (int f = 300; f < 500; ++f)
        record.set(f, std::to_string(f * 7));
    EXPECT_FALSE(record.isInOrder());
    ASSERT_TRUE(database::write(folder.file("Tervolin2.spb"), table));
    EXPECT_TRUE(record.isInOrder());
    EXPECT_EQ(record.field(499), std::to_string(499 * 7));
    EXPECT_EQ(record.field(0), "только в памяти");
}
