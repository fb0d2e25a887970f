#include "database/database_file.h"
#include "support/files.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

// A field as the file may hold it: numbers, blanks before, after and inside, Russian letters,
// other upper-half bytes, a tab, long notes, nothing but blanks.
std::string randomField(std::mt19937& random)
{
    const auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    switch (pick(0, 11)) {
    case 0:
    case 1:
    case 2:
    case 3: return "";
    case 4: return std::to_string(pick(0, 99999));
    case 5: return std::to_string(pick(0, 999)) + "," + std::to_string(pick(10, 99));
    case 6:
        return std::string(std::size_t(pick(1, 3)), ' ') + "7" + std::string(std::size_t(pick(0, 20)), ' ');
    case 7: return std::string(std::size_t(pick(1, 40)), ' ');
    case 8: return cp1251::encode("Иванова  Мария\tПетровна ");
    case 9: {
        std::string bytes;
        for (int i = pick(1, 60); i > 0; --i)
            bytes += char(pick(0, 3) == 0 ? ' ' : pick(0x80, 0xFF));
        return bytes;
    }
    case 10: return std::string(std::size_t(pick(17, 90)), 'x');
    default: return "31.01.20";
    }
}

std::string trimmed(const std::string& text)
{
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        return "";
    return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

} // namespace

// Lines of every kind, more than the reader takes in one piece, each field checked against a plain
// reading of its bytes: trimmed of blanks, decoded, field 1 the record's number, nothing after the
// 2128th separator. Written again, the file is the same fields in the program's own form.
TEST(DatabaseReading, EveryFieldIsItsBytesTrimmedAndDecoded)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::mt19937 random(seed);
        const int lines = 150;
        std::string file;
        std::string written;
        std::vector<std::vector<std::string>> expected(std::size_t(lines) + 1);
        for (int row = 1; row <= lines; ++row) {
            std::vector<std::string>& fields = expected[std::size_t(row)];
            fields.resize(2129);
            file += std::to_string(row * 3) + "|";
            fields[1] = std::to_string(row);
            for (int f = 2; f <= 2128; ++f) {
                const std::string bytes = f == 2128 ? "x" : randomField(random);
                file += bytes + "|";
                fields[std::size_t(f)] = cp1251::decode(trimmed(bytes));
            }
            if (row % 7 == 0)
                file += cp1251::encode("хвост|ещё|");
            const char* ends[] = { "\r\n", "\n", "\r", "\r\n" };
            file += row == lines ? "" : ends[row % 4];
            for (int f = 1; f <= 2128; ++f)
                written += cp1251::encode(fields[std::size_t(f)]) + "|";
            written += "\r\n";
        }
        writeBytes(path, file);
        RecordTable table;
        ASSERT_EQ(database::load(path, table).status, database::LoadResult::Status::Loaded);
        ASSERT_EQ(table.recordCount(), lines);
        for (int row = 1; row <= lines; ++row) {
            for (int f = 1; f <= 2128; ++f)
                ASSERT_EQ(table.field(row, f), expected[std::size_t(row)][std::size_t(f)])
                    << "seed " << seed << " row " << row << " field " << f;
            ASSERT_EQ(table.field(row, 0), "");
            ASSERT_EQ(table.field(row, 2129), "");
        }
        ASSERT_TRUE(database::write(path, table));
        EXPECT_EQ(readBytes(path), written) << "seed " << seed;
    }
}

// A table loaded again takes the new file whole, whatever its records held and however they were
// edited; a line that falls short leaves the table empty wherever the shortage is.
TEST(DatabaseReading, ALoadReplacesWhatTheTableHeld)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    RecordTable table;
    writeBytes(path, databaseLine({ "1", std::string(5000, 'a') }) + databaseLine({ "2", "Б" }));
    ASSERT_EQ(database::load(path, table).status, database::LoadResult::Status::Loaded);
    for (int f = 1; f <= 2200; ++f)
        table.set(2, f, "правка");
    writeBytes(path, databaseLine({ "1", "А", "ул. Лесная" }) + databaseLine({ "2", "", "", "", "", "7" }));
    ASSERT_EQ(database::load(path, table).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(table.field(1, 2), "А");
    EXPECT_EQ(table.field(1, 3), "ул. Лесная");
    EXPECT_EQ(table.field(2, 2), "");
    EXPECT_EQ(table.field(2, 6), "7");
    EXPECT_EQ(table.field(2, 2150), "");
    EXPECT_TRUE(table.record(2).isInOrder());

    // Too few separators: at the start of the line, in its middle, or none at all.
    const std::string good = databaseLine({ "1", "А" });
    for (const std::string& bad : { std::string("Иванов\r\n"), std::string(2127, '|') + "\r\n",
             std::string(1000, '|') + std::string(3000, ' ') + std::string(1127, '|') + "\r\n" }) {
        writeBytes(path, good + bad + good);
        const database::LoadResult result = database::load(path, table);
        EXPECT_EQ(result.status, database::LoadResult::Status::BadLine);
        EXPECT_EQ(result.line, 2);
        EXPECT_EQ(table.recordCount(), 0);
        EXPECT_EQ(table.field(1, 2), "");
    }
}
