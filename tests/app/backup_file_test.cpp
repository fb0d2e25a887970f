#include "accounts/bank_journal.h"
#include "app/backup_file.h"
#include "database/change_log.h"
#include "database/commit.h"
#include "database/database_file.h"
#include "database/field_map.h"
#include "database/sha256.h"
#include "database/year_window.h"
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
                              "ELF\x02\x01\x01\x00\x00\x00",
                    10)
                + std::string(2128, '|') + "\r\n",
            Status::BadLine, 2 },
        // Old files hold VT, Ctrl+Z and 0x98 in their fields: the program loads them, and their
        // backups restore.
        { "old.spb", lines(1) + databaseLine({ "2", "Иванов\v", "уч. 5\x1a" }) + "\x98" + lines(1),
            Status::Ready, 0 },
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

    const backup::Restore restored = backup::restoreSet(folder.file("copy.spb"), database);
    EXPECT_EQ(restored.status, backup::CopyStatus::Copied);
    const bool keptFormer = restored.keptFormer;
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

    EXPECT_EQ(backup::restoreSet(folder.file("copy.spb"), database).status, backup::CopyStatus::AccessDenied);
    EXPECT_EQ(readBytes(database), lines(2));
}

#ifndef _WIN32
// A restore killed at any moment leaves the database whole with its own journal: the old pair or
// the backup's; the database it was replacing is whole beside it, or not yet there.
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
    // Each backup with its own journal: after any kill the journal is the one of the database.
    const std::string journal = folder.file("Tervolin2.bank");
    const std::string firstJournal = "1|05.02.2026|10,00||1|2026|2|06.02.2026|Первый|\r\n";
    const std::string secondJournal = "2|05.03.2026|20,00||2|2026|3|06.03.2026|Второй|\r\n";
    writeBytes(first + ".bank", firstJournal);
    writeBytes(second + ".bank", secondJournal);
    writeBytes(journal, firstJournal);

    std::mt19937 random(7);
    for (int kills = 1; kills <= 100; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                backup::restoreSet(i % 2 == 0 ? second : first, database);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(1000, 30000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        database::recoverCommit(database, { journal });
        const std::string bytes = readBytes(database);
        const std::string kept = readBytes(journal);
        ASSERT_TRUE(
            (bytes == firstBytes && kept == firstJournal) || (bytes == secondBytes && kept == secondJournal))
            << "after kill " << kills;
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

    EXPECT_EQ(backup::restoreSet(folder.file("gone.spb"), database).status, backup::CopyStatus::NotFound);
    EXPECT_EQ(readBytes(database), lines(2));
    // A folder the copy cannot be written into.
    EXPECT_EQ(backup::restoreSet(folder.file("copy.spb"), folder.file("nowhere/Tervolin2.spb")).status,
        backup::CopyStatus::Failed);
    // A folder cannot be read as a file: the copy fails part-way, the database stays whole.
    EXPECT_EQ(backup::restoreSet(folder.path().string(), database).status, backup::CopyStatus::Failed);
    EXPECT_EQ(readBytes(database), lines(2));
    EXPECT_FALSE(std::filesystem::exists(database + ".tmp"));
}

class RestoreSet : public ::testing::Test
{
protected:
    RestoreSet()
    {
        // The backup: Иванов paid for February 2026; the database since: March too.
        RecordTable table;
        table.setRecordCount(1);
        table.set(1, 1, "1");
        table.set(1, 2, "Иванов");
        table.set(1, fields::ledgerBaseOfMonth(2026, 2) + 6, "100,00");
        database::write(backupFile, table);
        table.set(1, fields::ledgerBaseOfMonth(2026, 3) + 6, "200,00");
        database::write(database, table);
        writeBytes(journal, february + march);
    }

    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    const std::string journal = folder.file("Tervolin2.bank");
    const std::string figures = folder.file("Tervolin2.balance");
    const std::string backupFile = folder.file("копия.spb");
    const std::string february = "1|05.02.2026|100,00||1|2026|2|06.02.2026|Иванов|\r\n";
    const std::string march = "2|05.03.2026|200,00||1|2026|3|06.03.2026|Иванов|\r\n";
};

TEST_F(RestoreSet, TheBackupsSideFilesComeBackWithItAndTheReplacedOnesAreKept)
{
    writeBytes(backupFile + ".bank", february);
    writeBytes(backupFile + ".balance", "цифры копии");
    writeBytes(figures, "цифры сейчас");
    const backup::Restore restored = backup::restoreSet(backupFile, database);
    ASSERT_EQ(restored.status, backup::CopyStatus::Copied);
    EXPECT_FALSE(restored.journalFiltered);
    EXPECT_EQ(readBytes(database), readBytes(backupFile));
    EXPECT_EQ(readBytes(journal), february);
    EXPECT_EQ(readBytes(figures), "цифры копии");
    EXPECT_EQ(readBytes(backup::formerDatabasePath(journal)), february + march);
    EXPECT_EQ(readBytes(backup::formerDatabasePath(figures)), "цифры сейчас");
}

TEST_F(RestoreSet, ABackupWithoutAJournalKeepsOnlyThePaymentsItsDatabaseHolds)
{
    const backup::Restore restored = backup::restoreSet(backupFile, database);
    ASSERT_EQ(restored.status, backup::CopyStatus::Copied);
    EXPECT_TRUE(restored.journalFiltered);
    EXPECT_EQ(restored.journalKept, 1);
    EXPECT_EQ(restored.journalDropped, 1);
    // March's payment is not in the restored database: it may come in again.
    EXPECT_EQ(readBytes(journal), february);
}

TEST_F(RestoreSet, ASideFileThatCannotBeReplacedStopsTheWholeRestore)
{
    writeBytes(backupFile + ".bank", february);
    const std::string before = readBytes(database);
    std::filesystem::permissions(filePath(journal), std::filesystem::perms(0444));
    const backup::Restore restored = backup::restoreSet(backupFile, database);
    EXPECT_NE(restored.status, backup::CopyStatus::Copied);
    EXPECT_EQ(restored.failedFile, journal);
    EXPECT_EQ(readBytes(database), before);
    EXPECT_EQ(readBytes(journal), february + march);
    std::filesystem::permissions(filePath(journal), std::filesystem::perms(0644));
}

TEST_F(RestoreSet, ABackupOverAnOlderOneOfTheSameNameTakesNoStaleJournal)
{
    // An older backup of that name had a journal; the database backed up now has none.
    writeBytes(backupFile + ".bank", "чужой журнал");
    std::filesystem::remove(filePath(journal));
    ASSERT_TRUE(backup::backUpJournal(database, backupFile));
    EXPECT_FALSE(std::filesystem::exists(filePath(backupFile + ".bank")));
}

TEST_F(RestoreSet, TheChangeJournalGoesOnWithTheRestoreAsOneMoreEntry)
{
    changelog::Entry earlier;
    earlier.time = "01.03.2026 10:00:00";
    earlier.kind = "Сохранение";
    earlier.databaseHash = Sha256::of(readBytes(database));
    const std::string log = folder.file("Tervolin2.log");
    writeBytes(log, changelog::entryText(earlier, ""));
    changelog::Entry restore;
    restore.time = "02.03.2026 11:00:00";
    restore.kind = "Восстановление из резервной копии";
    restore.note = backupFile;
    ASSERT_EQ(backup::restoreSet(backupFile, database, restore).status, backup::CopyStatus::Copied);

    const changelog::Verification read = changelog::verify(readBytes(log), Sha256::of(readBytes(database)));
    EXPECT_EQ(read.status, changelog::Verification::Status::Sound);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].kind, "Восстановление из резервной копии");
    // March's payment is not in the backup: the entry says it went.
    ASSERT_EQ(read.entries[1].changes.size(), 1u);
    EXPECT_EQ(read.entries[1].changes[0].meaning, "Внесено");
    EXPECT_EQ(read.entries[1].changes[0].before, "200,00");
    EXPECT_EQ(read.entries[1].changes[0].after, "");
}

} // namespace
