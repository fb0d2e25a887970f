#include "app/backup_file.h"
#include "database/field_map.h"
#include "support/files.h"

#include <filesystem>
#include <gtest/gtest.h>

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

    EXPECT_EQ(backup::replaceDatabase(folder.file("copy.spb"), database), backup::CopyStatus::Copied);
    EXPECT_EQ(readBytes(database), lines(5));
    EXPECT_FALSE(std::filesystem::exists(database + ".tmp"));
}

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
