// A write killed at any moment leaves the old database or the new one, never a mixture.

#include "database/database_file.h"
#include "demo_data.h"
#include "support/files.h"

#include <chrono>
#include <csignal>
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

} // namespace
