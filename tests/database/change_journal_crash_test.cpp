// A save killed between the database and its journal: after the next start's recovery the
// journal describes the database on disk, with one entry for every save that reached the disk,
// none for one that did not, and none twice.

#include "database/change_journal.h"
#include "database/commit.h"
#include "database/database_file.h"
#include "database/sha256.h"
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

using changelog::Verification;

const int Counter = fields::baseOfMonth(2026, 4) + fields::CurrentReading;

class KilledSave : public ::testing::Test
{
protected:
    KilledSave()
    {
        DemoOptions options = fullDemoOptions(30);
        options.seed = 11;
        fillDemoTable(table, options);
        table.set(1, Counter, "0");
        changelog::Recorder recorder;
        EXPECT_EQ(save(recorder, table), database::Commit::Done);
    }

    database::Commit save(changelog::Recorder& recorder, RecordTable& t)
    {
        const database::SideFileChange entry = recorder.entryFor(database, t, changelog::Entry());
        const database::Commit written = database::write(database, t, { entry }, nullptr, recorder.watch());
        recorder.written(written);
        return written;
    }

    // The number the database on disk holds, which the save that wrote it put there.
    int counterOnDisk() const
    {
        RecordTable loaded;
        EXPECT_EQ(database::load(database, loaded).status, database::LoadResult::Status::Loaded);
        return std::stoi(std::string(loaded.field(1, Counter)));
    }

    // After the start's recovery (the killed write's temporary file removed, the commit finished or
    // dropped): nothing half-way, and a sound journal of one entry for the first
    // save and one for each save up to the one on disk, the last naming what it wrote.
    void expectJournalFollowsTheDatabase(const std::string& when)
    {
        database::removeStaleTemporary(database);
        const database::CommitRecovery recovered = database::recoverCommit(database, { log });
        ASSERT_NE(recovered.status, database::CommitRecovery::Status::Conflict) << when;
        ASSERT_NE(recovered.status, database::CommitRecovery::Status::Failed) << when;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = utf8Path(entry.path().filename());
            ASSERT_TRUE(name == "Tervolin2.spb" || name == "Tervolin2.log") << when << ": " << name;
        }
        const Verification read = changelog::verify(readBytes(log), Sha256::of(readBytes(database)));
        ASSERT_EQ(read.status, Verification::Status::Sound) << when;
        const int counter = counterOnDisk();
        ASSERT_EQ(int(read.entries.size()), counter + 1) << when;
        if (counter > 0) {
            bool named = false;
            for (const changelog::FieldChange& change : read.entries.back().changes)
                named |= change.record == 1 && change.after == std::to_string(counter);
            EXPECT_TRUE(named) << when;
        }
    }

    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    const std::string log = folder.file("Tervolin2.log");
    RecordTable table;
};

// Where a save is stopped: its commit record written, the journal's entry half added, the
// entry added whole, the database in its place. A kill leaves these on disk as they are; each is
// made here as the write makes it, the child stopping when it stands.
enum class Step { RecordWritten, HalfAppended, Appended, DatabaseInPlace };

TEST_F(KilledSave, AtEachStepTheJournalEndsAsTheDatabaseDoes)
{
    for (const Step step :
        { Step::RecordWritten, Step::HalfAppended, Step::Appended, Step::DatabaseInPlace }) {
        const int next = counterOnDisk() + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            table.set(1, Counter, std::to_string(next));
            changelog::Recorder recorder;
            std::vector<database::SideFileChange> changes{ recorder.entryFor(
                database, table, changelog::Entry()) };
            // The new database's bytes, as the write makes them.
            const std::string made = folder.file("made.spb");
            database::write(made, table);
            const std::string bytes = readBytes(made);
            std::filesystem::remove(filePath(made));
            const std::string journal = readBytes(log);
            database::SideCommit commit(database, changes);
            if (!commit.prepare(Sha256::of(bytes), nullptr))
                ::_exit(1);
            const std::string grown = readBytes(log);
            if (grown.size() <= journal.size() || grown.compare(0, journal.size(), journal) != 0)
                ::_exit(2);
            if (step == Step::RecordWritten)
                writeBytes(log, journal);
            if (step == Step::HalfAppended)
                writeBytes(log, grown.substr(0, (journal.size() + grown.size()) / 2));
            if (step == Step::DatabaseInPlace)
                database::writeFile(database, bytes);
            ::raise(SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << int(step) << " " << WEXITSTATUS(status);
        expectJournalFollowsTheDatabase("step " + std::to_string(int(step)));
        EXPECT_EQ(counterOnDisk(), step == Step::DatabaseInPlace ? next : next - 1);
        // A second start finds nothing left to do.
        EXPECT_EQ(
            database::recoverCommit(database, { log }).status, database::CommitRecovery::Status::Nothing);
    }
}

TEST_F(KilledSave, KilledAtAnyMomentOfRepeatedSavesNoEntryIsLostOrDoubled)
{
    std::mt19937 random(5);
    for (int kills = 1; kills <= 30; ++kills) {
        const int first = counterOnDisk() + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves one change after another, the recorder remembering the file between them.
            RecordTable loaded;
            database::load(database, loaded);
            changelog::Recorder recorder;
            for (int i = first;; ++i) {
                loaded.set(1, Counter, std::to_string(i));
                save(recorder, loaded);
            }
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(5000, 300000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        expectJournalFollowsTheDatabase("after kill " + std::to_string(kills));
    }
    // The kills fell among many saves, not only into the first one of each run.
    EXPECT_GT(counterOnDisk(), 30);
}

} // namespace
