#include "app/backup_file.h"
#include "database/database_file.h"
#include "database/field_map.h"
#include "demo_data.h"
#include "support/files.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using Status = backup::SourceCheck::Status;

std::string lines(int count)
{
    std::string bytes;
    for (int i = 1; i <= count; ++i)
        bytes += databaseLine({ std::to_string(i), "Абонент " + std::to_string(i) });
    return bytes;
}

TEST(BackupCheck, TellsWhatIsWrongWithTheChosenFile)
{
    TempFolder folder;
    const std::string shortLine = std::string(fields::PerRecord - 1, '|') + "\r\n";
    const struct
    {
        const char* name;
        std::string bytes;
        Status status;
        int line;
    } cases[] = {
        { "good.spb", lines(3), Status::Ready, 0 },
        { "empty.spb", "", Status::Empty, 0 },
        { "letter.spb", "Уважаемые садоводы!\r\n", Status::BadLine, 1 },
        { "second.spb", lines(1) + shortLine + lines(1), Status::BadLine, 2 },
        // A line break inside a field splits the record into two short lines.
        { "broken.spb", databaseLine({ "1", "Иванов" }).insert(20, "\r\n"), Status::BadLine, 1 },
        { "full.spb", lines(fields::MaxRecords), Status::Ready, 0 },
        { "toomany.spb", lines(fields::MaxRecords + 1), Status::BadLine, fields::MaxRecords + 1 },
        // Separators in the right number do not make a binary file a database.
        { "binary.spb",
            lines(1)
                + std::string("\x7f"
                              "ELF\x02\x01\x01",
                    7)
                + std::string(2128, '|') + "\r\n",
            Status::BadLine, 2 },
    };
    for (const auto& c : cases) {
        writeBytes(folder.file(c.name), c.bytes);
        const backup::SourceCheck check = backup::checkBackup(folder.file(c.name));
        EXPECT_EQ(check.status, c.status) << c.name;
        EXPECT_EQ(check.line, c.line) << c.name;
    }
    EXPECT_EQ(backup::checkBackup(folder.file("missing.spb")).status, Status::NotFound);
    EXPECT_EQ(backup::checkBackup(folder.path().string()).status, Status::Unreadable);
}

TEST(BackupRestore, ReplacesTheDatabaseWithAnExactCopy)
{
    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    writeBytes(database, lines(2));
    writeBytes(folder.file("copy.spb"), lines(5));

    bool keptFormer = false;
    EXPECT_EQ(
        backup::replaceDatabase(folder.file("copy.spb"), database, &keptFormer), backup::CopyStatus::Copied);
    EXPECT_EQ(readBytes(database), lines(5));
    EXPECT_FALSE(std::filesystem::exists(database + ".tmp"));
    // The database replaced stays beside it, whole.
    EXPECT_TRUE(keptFormer);
    EXPECT_EQ(backup::formerDatabasePath(database), folder.file("Tervolin2.spb.до-восстановления"));
    EXPECT_EQ(readBytes(folder.file("Tervolin2.spb.до-восстановления")), lines(2));
}

TEST(BackupRestore, ADatabaseProtectedFromWritingIsNotReplaced)
{
    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    writeBytes(database, lines(2));
    std::filesystem::permissions(database, std::filesystem::perms(0444));
    writeBytes(folder.file("copy.spb"), lines(5));

    EXPECT_EQ(backup::replaceDatabase(folder.file("copy.spb"), database), backup::CopyStatus::AccessDenied);
    EXPECT_EQ(readBytes(database), lines(2));
}

#ifndef _WIN32
// A restore killed at any moment leaves the database whole: the old one or the complete backup;
// the database it was replacing is whole beside it, or not yet there.
TEST(BackupRestore, AKilledRestoreLeavesTheOldDatabaseOrTheBackup)
{
    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    const std::string first = folder.file("first.spb");
    const std::string second = folder.file("second.spb");
    for (const auto& [path, seed] : { std::pair{ first, 1u }, std::pair{ second, 2u } }) {
        RecordTable table;
        DemoOptions options = fullDemoOptions(300);
        options.seed = seed;
        fillDemoTable(table, options);
        ASSERT_TRUE(database::write(path, table));
    }
    const std::string firstBytes = readBytes(first);
    const std::string secondBytes = readBytes(second);
    writeBytes(database, firstBytes);

    std::mt19937 random(7);
    for (int kills = 1; kills <= 10; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                backup::replaceDatabase(i % 2 == 0 ? second : first, database);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(1000, 30000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const std::string bytes = readBytes(database);
        ASSERT_TRUE(bytes == firstBytes || bytes == secondBytes) << "after kill " << kills;
        const std::string former = backup::formerDatabasePath(database);
        if (std::filesystem::exists(former)) {
            const std::string formerBytes = readBytes(former);
            ASSERT_TRUE(formerBytes == firstBytes || formerBytes == secondBytes) << "after kill " << kills;
        }
    }
}

#endif

TEST(BackupRestore, AFailedCopyLeavesTheDatabaseAsItWas)
{
    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    writeBytes(database, lines(2));
    writeBytes(folder.file("copy.spb"), lines(5));

    EXPECT_EQ(backup::replaceDatabase(folder.file("gone.spb"), database), backup::CopyStatus::NotFound);
    EXPECT_EQ(readBytes(database), lines(2));
    // A folder the copy cannot be written into.
    EXPECT_EQ(backup::replaceDatabase(folder.file("copy.spb"), folder.file("nowhere/Tervolin2.spb")),
        backup::CopyStatus::Failed);
    // A folder cannot be read as a file: the copy fails part-way, the database stays whole.
    EXPECT_EQ(backup::replaceDatabase(folder.path().string(), database), backup::CopyStatus::Failed);
    EXPECT_EQ(readBytes(database), lines(2));
    EXPECT_FALSE(std::filesystem::exists(database + ".tmp"));
}

} // namespace
