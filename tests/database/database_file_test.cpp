#include "database/database_file.h"
#include "demo_data.h"
#include "support/files.h"
#include "text/cp1251.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using Status = database::LoadResult::Status;

namespace {

std::string separators(int n)
{
    return std::string(std::size_t(n), '|');
}

class DatabaseFile : public ::testing::Test
{
protected:
    TempFolder folder;
    std::string path = folder.file("Tervolin2.spb");
    RecordTable table;

    database::LoadResult load() { return database::load(path, table); }
};

TEST_F(DatabaseFile, OneEmptyLineIsOneRecord)
{
    writeBytes(path, separators(2128) + "\r\n");
    const auto result = load();
    ASSERT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(table.recordCount(), 1);
    EXPECT_EQ(table.field(1, 1), "1");
    for (int f = 2; f <= 2128; ++f)
        ASSERT_EQ(table.field(1, f), "");
}

TEST_F(DatabaseFile, ALineWithTooFewSeparatorsNamesItsNumber)
{
    writeBytes(path, databaseLine({ "1", "Иванов" }) + separators(2127) + "\r\n" + databaseLine({}));
    const auto result = load();
    EXPECT_EQ(result.status, Status::BadLine);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(table.recordCount(), 0);

    writeBytes(path, separators(2127) + "\r\n");
    EXPECT_EQ(load().line, 1);
}

TEST_F(DatabaseFile, TextAfterTheLastSeparatorIsDropped)
{
    writeBytes(path, separators(2128) + cp1251::encode("лишнее|ещё|") + "\r\n");
    ASSERT_EQ(load().status, Status::Loaded);
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), "1" + separators(2128) + "\r\n");
}

TEST_F(DatabaseFile, RecordNumbersAreRewrittenFromTheLineOrder)
{
    writeBytes(path, databaseLine({ "17", "Первый" }) + databaseLine({ "3", "Второй" }));
    ASSERT_EQ(load().status, Status::Loaded);
    EXPECT_EQ(table.field(1, 1), "1");
    EXPECT_EQ(table.field(2, 1), "2");
    EXPECT_EQ(table.field(2, 2), "Второй");
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), databaseLine({ "1", "Первый" }) + databaseLine({ "2", "Второй" }));
}

TEST_F(DatabaseFile, FieldsAreTrimmedOfBlanksButKeepInnerOnes)
{
    writeBytes(path, databaseLine({ "1", "  Иванов  И. И.  ", " ул. Лесная", "5 ", "", "", "", "  12,5  " }));
    ASSERT_EQ(load().status, Status::Loaded);
    EXPECT_EQ(table.field(1, 2), "Иванов  И. И.");
    EXPECT_EQ(table.field(1, 3), "ул. Лесная");
    EXPECT_EQ(table.field(1, 4), "5");
    EXPECT_EQ(table.field(1, 8), "12,5");
}

TEST_F(DatabaseFile, LineBreaksInFieldsAreJoinedInTheFileAndTheTable)
{
    table.setRecordCount(1);
    table.set(1, 1, "1");
    table.set(1, 3, "ул. Лесная,\r\nуч. 5");
    table.set(1, 6, "строка\nещё\rконец");
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), databaseLine({ "1", "", "ул. Лесная,уч. 5", "", "", "строкаещёконец" }));
    EXPECT_EQ(table.field(1, 3), "ул. Лесная,уч. 5");
    EXPECT_EQ(table.field(1, 6), "строкаещёконец");
}

TEST_F(DatabaseFile, MissingEmptyAndUnreadableFiles)
{
    EXPECT_EQ(load().status, Status::NotFound);
    writeBytes(path, "");
    EXPECT_EQ(load().status, Status::Empty);
    EXPECT_TRUE(std::filesystem::exists(path)); // never replaced
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(load().status, Status::OpenFailed);
}

TEST_F(DatabaseFile, AtMost3001Records)
{
    std::string lines;
    for (int i = 0; i < 3001; ++i)
        lines += separators(2128) + "\r\n";
    writeBytes(path, lines);
    ASSERT_EQ(load().status, Status::Loaded);
    EXPECT_EQ(table.recordCount(), 3001);
    writeBytes(path, lines + separators(2128) + "\r\n");
    const auto result = load();
    EXPECT_EQ(result.status, Status::TooManyLines);
    EXPECT_EQ(table.recordCount(), 0);
}

TEST_F(DatabaseFile, LineEndsOfOtherSystemsAndLongLinesLoad)
{
    // LF alone and CR alone end lines too; a line of any length loads.
    const std::string longNote(70000, 'x');
    const std::string first = databaseLine({ "1", "А" });
    writeBytes(path,
        first.substr(0, first.size() - 2) + "\n" + cp1251::encode("2|Б|") + separators(2126) + "\r"
            + cp1251::encode("3|В|") + longNote + "|" + separators(2125));
    const auto result = load();
    ASSERT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_EQ(table.field(2, 2), "Б");
    EXPECT_EQ(table.field(3, 3), longNote);
}

TEST_F(DatabaseFile, WindowsCodePageBothWays)
{
    table.setRecordCount(1);
    table.set(1, 1, "1");
    table.set(1, 2, "Ёлкина Щ. Ъ.");
    table.set(1, 3, "№ 5 «Лесной»");
    ASSERT_TRUE(database::write(path, table));
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.substr(0, 15), std::string("1|\xA8\xEB\xEA\xE8\xED\xE0 \xD9. \xDA.|"));
    RecordTable again;
    ASSERT_EQ(database::load(path, again).status, Status::Loaded);
    EXPECT_EQ(again.field(1, 2), "Ёлкина Щ. Ъ.");
    EXPECT_EQ(again.field(1, 3), "№ 5 «Лесной»");
}

TEST_F(DatabaseFile, WrittenFileComesBackByteForByte)
{
    DemoOptions options;
    options.subscribers = 60;
    fillDemoTable(table, options);
    ASSERT_TRUE(database::write(path, table));
    const std::string first = readBytes(path);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 60);

    RecordTable again;
    ASSERT_EQ(database::load(path, again).status, Status::Loaded);
    for (int row = 1; row <= 60; ++row)
        for (int f = 1; f <= 2128; ++f)
            ASSERT_EQ(again.field(row, f), table.field(row, f)) << row << ":" << f;
    const std::string second = folder.file("again.spb");
    ASSERT_TRUE(database::write(second, again));
    EXPECT_EQ(readBytes(second), first);
}

TEST_F(DatabaseFile, EditedRecordsAreWrittenWithTheirNewTexts)
{
    writeBytes(path, databaseLine({ "1", "Иванов", "", "", "", "", "", "31.01.20", "10700" }));
    ASSERT_EQ(load().status, Status::Loaded);
    table.set(1, 9, "10800"); // same length: in place
    table.set(1, 2, "Иванова"); // longer: appended
    table.set(1, 8, "");
    ASSERT_TRUE(database::write(path, table));
    EXPECT_EQ(readBytes(path), databaseLine({ "1", "Иванова", "", "", "", "", "", "", "10800" }));
}

TEST_F(DatabaseFile, AFailedWriteLeavesFileAndTableAsTheyWere)
{
    writeBytes(path, databaseLine({ "1", "Старый" }));
    ASSERT_EQ(load().status, Status::Loaded);
    const std::string before = readBytes(path);
    table.set(1, 2, "Новый\r\nс переносом");
    // The temporary file cannot be made: a folder stands in its place.
    std::filesystem::create_directory(path + ".tmp");
    std::string error;
    const bool written = database::write(path, table, &error);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(table.field(1, 2), "Новый\r\nс переносом");
}

TEST_F(DatabaseFile, AWriteIntoAMissingFolderFails)
{
    table.setRecordCount(1);
    EXPECT_FALSE(database::write(folder.file("нет/Tervolin2.spb"), table));
}

TEST_F(DatabaseFile, CreateMakesOneEmptyRecord)
{
    ASSERT_TRUE(database::create(path, table));
    EXPECT_EQ(readBytes(path), separators(2128) + "\r\n");
    EXPECT_EQ(table.recordCount(), 1);
    ASSERT_EQ(load().status, Status::Loaded);
    EXPECT_EQ(table.field(1, 1), "1");
    EXPECT_EQ(table.field(1, 2), "");
}

TEST_F(DatabaseFile, ADatabaseMadeAfter2027HoldsTheEightYearsUpToThisOne)
{
    EXPECT_EQ(database::yearsForNewDatabase(2026).first(), 2020);
    EXPECT_EQ(database::yearsForNewDatabase(2027).first(), 2020);
    EXPECT_EQ(database::yearsForNewDatabase(2031).first(), 2024);
    EXPECT_EQ(database::yearsForNewDatabase(2300).first(), 2100);
    ASSERT_TRUE(database::create(path, table, database::yearsForNewDatabase(2031)));
    EXPECT_EQ(readBytes(path), separators(2127) + "2024|\r\n");
    EXPECT_EQ(table.years().last(), 2031);
    ASSERT_EQ(load().status, Status::Loaded);
    EXPECT_EQ(table.years().first(), 2024);
}

TEST_F(DatabaseFile, CheckReadsWithoutKeepingAnything)
{
    writeBytes(path, databaseLine({ "1" }) + "1|2|3\r\n");
    const auto result = database::check(path);
    EXPECT_EQ(result.status, Status::BadLine);
    EXPECT_EQ(result.line, 2);
    writeBytes(path, databaseLine({ "1" }));
    EXPECT_EQ(database::check(path).status, Status::Loaded);
}

TEST_F(DatabaseFile, CopyReplacesTheDestinationWhole)
{
    writeBytes(path, "old");
    const std::string source = folder.file("backup.spb");
    writeBytes(source, databaseLine({ "1", "Копия" }));
    ASSERT_TRUE(database::copyFile(source, path));
    EXPECT_EQ(readBytes(path), readBytes(source));
    EXPECT_FALSE(database::copyFile(folder.file("nothing.spb"), path));
    EXPECT_EQ(readBytes(path), readBytes(source));
}

// Symbolic links are followed on POSIX systems; on Windows a path is the file itself.
#ifndef _WIN32
TEST_F(DatabaseFile, ASymbolicLinkIsWrittenThroughAndStays)
{
    // The database kept on a stick, reached from the program folder by a link, absolute or not.
    std::filesystem::create_directory(folder.file("флешка"));
    const std::string target = folder.file("флешка/Tervolin2.spb");
    for (const std::string& linkText : { target, std::string("флешка/Tervolin2.spb") }) {
        writeBytes(target, databaseLine({ "1", "Старый" }));
        std::filesystem::remove(path);
        std::filesystem::create_symlink(linkText, path);
        ASSERT_EQ(load().status, Status::Loaded);
        table.set(1, 2, "Новый");
        ASSERT_TRUE(database::write(path, table)) << linkText;
        EXPECT_TRUE(std::filesystem::is_symlink(path)) << linkText;
        EXPECT_EQ(readBytes(target), databaseLine({ "1", "Новый" })) << linkText;
        EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path + ".tmp")));
    }
}
#endif

TEST_F(DatabaseFile, AFileProtectedFromWritingIsRefusedAndKept)
{
    writeBytes(path, databaseLine({ "1", "Старый" }));
    ASSERT_EQ(load().status, Status::Loaded);
    const std::string before = readBytes(path);
    std::filesystem::permissions(path, std::filesystem::perms(0444));
#ifndef _WIN32
    const std::string link = folder.file("ссылка.spb");
    std::filesystem::create_symlink(path, link);
#endif
    const std::string source = folder.file("backup.spb");
    writeBytes(source, databaseLine({ "1", "Копия" }));
    table.set(1, 2, "Новый");

    EXPECT_TRUE(database::isWriteProtected(path));
    EXPECT_FALSE(database::write(path, table));
#ifndef _WIN32
    EXPECT_TRUE(database::isWriteProtected(link));
    EXPECT_FALSE(database::write(link, table));
#endif
    EXPECT_FALSE(database::copyFile(source, path));
    EXPECT_EQ(readBytes(path), before);
#ifdef _WIN32
    // Windows keeps one read-only attribute, not the bits.
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_write,
        std::filesystem::perms::none);
#else
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));
#endif
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    // Any write permission bit and the file is the program's to replace; a missing file is too.
    std::filesystem::permissions(path, std::filesystem::perms(0644));
    EXPECT_FALSE(database::isWriteProtected(path));
    EXPECT_FALSE(database::isWriteProtected(folder.file("нет.spb")));
}

TEST_F(DatabaseFile, CheckRefusesOnlyWhatNoDatabaseHolds)
{
    const std::string good = databaseLine({ "1", "Иванов\tИ. И.", "ул. «Лесная», №5" });
    const struct
    {
        const char* what;
        std::string second;
        bool passes;
    } cases[] = {
        { "a record line", good, true },
        { "an empty record number, as a new file has", databaseLine({ "", "Петров" }), true },
        // Bytes put between the letters of the name "Петров" (bytes 2 … 7 of the line).
        { "a zero byte", databaseLine({ "2", "Петров" }).insert(4, 1, '\0'), false },
        { "a zero byte after the last field", databaseLine({ "2" }).insert(2129, 1, '\0'), false },
        // What old files hold in their fields: they load, so their backups must restore.
        { "a vertical tab", databaseLine({ "2", "Петров" }).insert(4, 1, '\v'), true },
        { "Ctrl+Z", databaseLine({ "2", "Петров" }).insert(4, 1, '\x1a'), true },
        { "DEL", databaseLine({ "2", "Петров" }).insert(4, 1, '\x7f'), true },
        { "the byte Windows-1251 leaves unassigned", databaseLine({ "2", "Петров" }).insert(4, 1, '\x98'),
            true },
        { "a word for a record number", databaseLine({ "два", "Петров" }), true },
    };
    for (const auto& c : cases) {
        writeBytes(path, good + c.second);
        const auto result = database::check(path);
        EXPECT_EQ(result.status, c.passes ? Status::Loaded : Status::BadLine) << c.what;
        EXPECT_EQ(result.line, c.passes ? 0 : 2) << c.what;
    }
    // The database itself loads as before: only a file that is to replace it is held to more.
    writeBytes(path, databaseLine({ "два", "Петров" }).insert(4, 1, '\0'));
    EXPECT_EQ(load().status, Status::Loaded);
}

TEST_F(DatabaseFile, AStaleTemporaryFileIsRemovedButNothingElse)
{
    writeBytes(path, databaseLine({ "1" }));
    writeBytes(path + ".tmp", "половина записи");
    EXPECT_TRUE(database::removeStaleTemporary(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_FALSE(database::removeStaleTemporary(path));
    std::filesystem::create_directory(path + ".tmp");
    EXPECT_FALSE(database::removeStaleTemporary(path));
    EXPECT_TRUE(std::filesystem::is_directory(path + ".tmp"));
    EXPECT_EQ(readBytes(path), databaseLine({ "1" }));
}

TEST(DatabaseText, LineBreaksAreRemovedWithoutEatingText)
{
    EXPECT_EQ(database::withoutLineBreaks("a\r\nb"), "ab");
    EXPECT_EQ(database::withoutLineBreaks("a\rb"), "ab");
    EXPECT_EQ(database::withoutLineBreaks("a\nb\r"), "ab");
    EXPECT_EQ(database::withoutLineBreaks("без переносов"), "без переносов");
}

} // namespace
