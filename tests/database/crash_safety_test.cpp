// A write killed at any moment leaves the old database or the new one, never a mixture.

#include "accounts/year_rollover.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "support/files.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Two full tables that differ in every record.
void makeTable(RecordTable& table, std::uint32_t seed)
{
    DemoOptions options = fullDemoOptions(300);
    options.seed = seed;
    fillDemoTable(table, options);
}

TEST(CrashSafety, AKilledWriteLeavesTheOldFileOrTheNewOne)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    RecordTable first;
    RecordTable second;
    makeTable(first, 1);
    makeTable(second, 2);
    ASSERT_TRUE(database::write(path, first));
    const std::string firstBytes = readBytes(path);
    ASSERT_TRUE(database::write(path, second));
    const std::string secondBytes = readBytes(path);
    ASSERT_NE(firstBytes, secondBytes);

    std::mt19937 random(42);
    for (int kills = 1; kills <= 15; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Writes the two tables in turn until it is killed.
            for (int i = 0;; ++i)
                database::write(path, i % 2 == 0 ? first : second);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(1000, 30000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const std::string bytes = readBytes(path);
        ASSERT_TRUE(bytes == firstBytes || bytes == secondBytes) << "after kill " << kills;
        RecordTable loaded;
        ASSERT_EQ(database::load(path, loaded).status, database::LoadResult::Status::Loaded);
    }
}

// A write with side files killed at any moment: after the next start's recovery the database and
// its journal are the old pair or the new pair.
TEST(CrashSafety, AKilledCommitLeavesTheDatabaseAndItsSideFileAsAPair)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    const std::string journal = folder.file("Tervolin2.bank");
    RecordTable first;
    RecordTable second;
    makeTable(first, 4);
    makeTable(second, 5);
    const std::string firstJournal = "1|05.02.2026|10,00||1|2026|2|06.02.2026|Иванов|\r\n";
    const std::string secondJournal = firstJournal + "2|06.02.2026|20,00||2|2026|2|06.02.2026|Петров|\r\n";
    ASSERT_EQ(database::write(path, first, { { journal, firstJournal } }), database::Commit::Done);
    const std::string firstBytes = readBytes(path);
    ASSERT_EQ(database::write(path, second, { { journal, secondJournal } }), database::Commit::Done);
    const std::string secondBytes = readBytes(path);

    std::mt19937 random(7);
    for (int kills = 1; kills <= 100; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                const bool odd = i % 2 == 0;
                database::write(
                    path, odd ? first : second, { { journal, odd ? firstJournal : secondJournal } });
            }
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(1000, 30000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const database::CommitRecovery recovered = database::recoverCommit(path, { journal });
        ASSERT_NE(recovered.status, database::CommitRecovery::Status::Conflict) << "after kill " << kills;
        const std::string bytes = readBytes(path);
        const std::string kept = readBytes(journal);
        ASSERT_TRUE(
            (bytes == firstBytes && kept == firstJournal) || (bytes == secondBytes && kept == secondJournal))
            << "after kill " << kills;
        ASSERT_FALSE(std::filesystem::exists(filePath(path + ".commit")));
        ASSERT_FALSE(std::filesystem::exists(filePath(journal + ".commit")));
    }
}

} // namespace

namespace {

// The new year opened in a child killed at a random moment: the database is the old file or the
// new one, never half; the new one has its archive; a repeat makes no second archive.
TEST(CrashSafety, AKilledRolloverLeavesTheOldYearsOrTheNewOnesWithTheirArchive)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.spb");
    const std::string archive = folder.file("Tervolin2 архив 2020-2027.spb");
    RecordTable table;
    makeTable(table, 3);
    const auto rows = [](RecordTable& t) {
        ledger::Grid grid;
        ledger::fill(t, ledger::ledgerMonth(2027, 12), grid);
        ledger::compute(grid);
        return ledger::carryOverRows(grid);
    };
    const std::vector<ledger::CarryOverRow> balances = rows(table);
    ASSERT_TRUE(database::write(path, table));
    const std::string oldBytes = readBytes(path);
    // The rollover as the killed children run it, from their start to their end: the kills fall
    // within that time and after it.
    const auto rollInChild = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            RecordTable loaded;
            database::load(path, loaded);
            ledger::openNextYear(loaded, path, balances, [&] { return database::write(path, loaded); });
            ::_exit(0);
        }
        return child;
    };
    const auto started = std::chrono::steady_clock::now();
    const pid_t timed = rollInChild();
    ASSERT_GT(timed, 0);
    ::waitpid(timed, nullptr, 0);
    const auto took
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    const std::string newBytes = readBytes(path);
    ASSERT_NE(oldBytes, newBytes);

    std::mt19937 random(7);
    int sawOld = 0;
    int sawNew = 0;
    for (int kills = 1; kills <= 20; ++kills) {
        writeBytes(path, oldBytes);
        // Every other try starts with the archive of an earlier, killed try in place.
        if (kills % 2 == 0)
            std::filesystem::remove(filePath(archive));
        const pid_t child = rollInChild();
        ASSERT_GT(child, 0);
        // One moment in each twentieth of the time, up to half as long again as the rollover took.
        const long slice = took.count() * 3 / 2 / 20;
        std::this_thread::sleep_for(std::chrono::microseconds(
            slice * (kills - 1) + std::uniform_int_distribution<long>(0, slice)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const std::string bytes = readBytes(path);
        ASSERT_TRUE(bytes == oldBytes || bytes == newBytes) << "after kill " << kills;
        if (bytes == newBytes) {
            ++sawNew;
            ASSERT_EQ(readBytes(archive), oldBytes) << "after kill " << kills;
        } else {
            ++sawOld;
            // The user tries again: the same archive, or a first one, and the new years.
            RecordTable again;
            ASSERT_EQ(database::load(path, again).status, database::LoadResult::Status::Loaded);
            const ledger::Rollover done
                = ledger::openNextYear(again, path, balances, [&] { return database::write(path, again); });
            ASSERT_EQ(done.status, ledger::Rollover::Status::Opened);
            EXPECT_EQ(done.archivePath, archive);
            EXPECT_EQ(readBytes(path), newBytes);
        }
        ASSERT_FALSE(std::filesystem::exists(filePath(folder.file("Tervolin2 архив 2020-2027 (2).spb"))));
    }
    // The moments spread over the whole rollover: both outcomes were met.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

} // namespace
