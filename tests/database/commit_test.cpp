// The database and its side files change as one: whatever stops a commit, the next start finds
// the old pair or the new pair, never a side file that belongs to another database.

#include "database/commit.h"
#include "database/database_file.h"
#include "database/sha256.h"
#include "support/files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using database::CommitRecovery;
using database::SideFileChange;

TEST(Sha256, KnownDigestsWhateverThePieces)
{
    EXPECT_EQ(Sha256::of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256::of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256::of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million "a" fed in pieces of every size around the 64-byte block.
    Sha256 hash;
    std::size_t fed = 0;
    for (std::size_t piece = 1; fed < 1000000; piece = piece % 130 + 1) {
        const std::size_t n = std::min(piece, 1000000 - fed);
        hash.add(std::string(n, 'a'));
        fed += n;
    }
    EXPECT_EQ(hash.hex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

    // The processor's SHA instructions, where there are some, give the plain rounds' digest.
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += static_cast<char>((i * 7919) >> 3);
    for (const std::size_t length :
        { std::size_t(0), std::size_t(55), std::size_t(64), std::size_t(1000), bytes.size() }) {
        Sha256 plain(false);
        Sha256 fast;
        plain.add(std::string_view(bytes).substr(0, length));
        fast.add(std::string_view(bytes).substr(0, length));
        EXPECT_EQ(plain.hex(), fast.hex()) << length;
    }
    Sha256 plain(false);
    plain.add("abc");
    EXPECT_EQ(plain.hex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

class Commit : public ::testing::Test
{
protected:
    Commit()
    {
        writeBytes(database, "старая база\r\n");
        writeBytes(journal, "старый журнал\r\n");
        writeBytes(figures, "старые цифры\r\n");
    }

    std::vector<std::string> sides() const { return { journal, figures }; }

    // What a kill leaves on disk once the commit's record is written and before the database
    // moves: the record and the new states (the object would tidy them away).
    void stopAfterTheRecord(const std::string& newDatabase, std::vector<SideFileChange> changes)
    {
        std::vector<std::pair<std::string, std::string>> left;
        database::SideCommit commit(database, std::move(changes));
        ASSERT_TRUE(commit.prepare(Sha256::of(newDatabase), nullptr));
        for (const std::string& file : { database + ".commit", journal + ".commit", figures + ".commit" }) {
            if (std::filesystem::exists(filePath(file)))
                left.emplace_back(file, readBytes(file));
        }
        commit.abandon();
        for (const auto& [file, bytes] : left)
            writeBytes(file, bytes);
    }

    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = utf8Path(entry.path().filename());
            if (name.find(".commit") != std::string::npos || name.find(".tmp") != std::string::npos)
                names.push_back(name);
        }
        return names;
    }

    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    const std::string journal = folder.file("Tervolin2.bank");
    const std::string figures = folder.file("Tervolin2.balance");
};

TEST_F(Commit, AWholeCommitChangesTheDatabaseAndItsSideFilesAndLeavesNothingElse)
{
    RecordTable table;
    table.setRecordCount(1);
    table.set(1, 2, "Иванов");
    ASSERT_EQ(
        database::write(database, table, { { journal, "новый журнал\r\n" }, { figures, std::nullopt } }),
        database::Commit::Done);
    EXPECT_NE(readBytes(database).find("\xC8\xE2\xE0\xED\xEE\xE2"), std::string::npos); // "Иванов"
    EXPECT_EQ(readBytes(journal), "новый журнал\r\n");
    EXPECT_FALSE(std::filesystem::exists(filePath(figures)));
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(database::recoverCommit(database, sides()).status, CommitRecovery::Status::Nothing);
}

TEST_F(Commit, StoppedBeforeTheDatabaseMovedTheSideFilesStayAsTheyWere)
{
    stopAfterTheRecord("новая база\r\n", { { journal, "новый журнал\r\n" }, { figures, std::nullopt } });

    const CommitRecovery recovered = database::recoverCommit(database, sides());
    EXPECT_EQ(recovered.status, CommitRecovery::Status::Dropped);
    EXPECT_EQ(readBytes(database), "старая база\r\n");
    EXPECT_EQ(readBytes(journal), "старый журнал\r\n");
    EXPECT_EQ(readBytes(figures), "старые цифры\r\n");
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(Commit, StoppedAfterTheDatabaseMovedTheSideFilesFollowIt)
{
    const std::string next = "новая база\r\n";
    stopAfterTheRecord(next, { { journal, "новый журнал\r\n" }, { figures, std::nullopt } });
    writeBytes(database, next);

    const CommitRecovery recovered = database::recoverCommit(database, sides());
    EXPECT_EQ(recovered.status, CommitRecovery::Status::Finished);
    EXPECT_EQ(readBytes(journal), "новый журнал\r\n");
    EXPECT_FALSE(std::filesystem::exists(filePath(figures)));
    EXPECT_TRUE(leftovers().empty());
    // A second start finds nothing more to do.
    EXPECT_EQ(database::recoverCommit(database, sides()).status, CommitRecovery::Status::Nothing);
}

TEST_F(Commit, ADatabaseChangedInBetweenIsSaidAndTakesNoSideFile)
{
    stopAfterTheRecord("новая база\r\n", { { journal, "новый журнал\r\n" } });
    writeBytes(database, "база, изменённая другой программой, подлиннее\r\n");

    const CommitRecovery recovered = database::recoverCommit(database, sides());
    EXPECT_EQ(recovered.status, CommitRecovery::Status::Conflict);
    ASSERT_EQ(recovered.files.size(), 1);
    EXPECT_EQ(recovered.files[0], journal);
    EXPECT_EQ(readBytes(journal), "старый журнал\r\n");
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(Commit, LeftoversOfAKilledWriteAndACutRecordGo)
{
    writeBytes(journal + ".tmp", "половина");
    writeBytes(journal + ".commit", "новый журнал без записи о фиксации");
    EXPECT_EQ(database::recoverCommit(database, sides()).status, CommitRecovery::Status::Nothing);
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(readBytes(journal), "старый журнал\r\n");

    writeBytes(database + ".commit", "tervolin-commit 1\r\ndatabase\t12");
    writeBytes(journal + ".commit", "новый журнал");
    EXPECT_EQ(database::recoverCommit(database, sides()).status, CommitRecovery::Status::Dropped);
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(readBytes(journal), "старый журнал\r\n");
}

TEST_F(Commit, ASideFileThatCannotBeWrittenStopsTheCommitBeforeTheDatabase)
{
    // A folder where the journal's new state must go.
    std::filesystem::create_directory(filePath(journal + ".commit.tmp"));
    RecordTable table;
    table.setRecordCount(1);
    table.set(1, 2, "Петров");
    std::string error;
    EXPECT_EQ(database::write(database, table, { { journal, "новый журнал\r\n" } }, &error),
        database::Commit::Failed);
    EXPECT_NE(error.find("Tervolin2.bank"), std::string::npos) << error;
    EXPECT_EQ(readBytes(database), "старая база\r\n");
    EXPECT_EQ(readBytes(journal), "старый журнал\r\n");
    EXPECT_FALSE(std::filesystem::exists(filePath(database + ".commit")));
}

TEST_F(Commit, ASideFileThatCannotTakeItsPlaceWaitsForTheNextStart)
{
    // Something that is no file stands where the journal goes: the database moves, the journal cannot.
    std::filesystem::remove(filePath(journal));
    std::filesystem::create_directories(filePath(journal + "/занято"));
    RecordTable table;
    table.setRecordCount(1);
    table.set(1, 2, "Сидоров");
    std::string error;
    EXPECT_EQ(database::write(database, table, { { journal, "новый журнал\r\n" } }, &error),
        database::Commit::SideFilesPending);
    const std::string written = readBytes(database);
    EXPECT_NE(written, "старая база\r\n");

    CommitRecovery recovered = database::recoverCommit(database, sides());
    EXPECT_EQ(recovered.status, CommitRecovery::Status::Failed);
    EXPECT_NE(recovered.error.find("Tervolin2.bank"), std::string::npos) << recovered.error;
    EXPECT_TRUE(std::filesystem::exists(filePath(database + ".commit")));

    std::filesystem::remove_all(filePath(journal));
    recovered = database::recoverCommit(database, sides());
    EXPECT_EQ(recovered.status, CommitRecovery::Status::Finished);
    EXPECT_EQ(readBytes(journal), "новый журнал\r\n");
    EXPECT_EQ(readBytes(database), written);
    EXPECT_TRUE(leftovers().empty());
}

// A file that only grows (the change journal) gets its new bytes at its end before the database
// moves; they stay once the database has moved and go again when it has not.
TEST_F(Commit, AGrowingFileKeepsItsNewBytesOnlyWithTheNewDatabase)
{
    const std::string log = folder.file("Tervolin2.log");
    const std::string old = "запись 1\n";
    const std::string next = "новая база\r\n";
    SideFileChange entry{ log, "запись 2\n" };
    entry.append = true;
    // What a kill leaves once the bytes are added: the record, the file's new state and the file grown.
    const auto killedAfterTheBytes = [&] {
        writeBytes(log, old);
        std::vector<std::pair<std::string, std::string>> left;
        database::SideCommit commit(database, { entry });
        EXPECT_TRUE(commit.prepare(Sha256::of(next), nullptr));
        EXPECT_EQ(readBytes(log), old + "запись 2\n");
        EXPECT_FALSE(std::filesystem::exists(filePath(log + ".commit")));
        for (const std::string& file : { database + ".commit", log })
            left.emplace_back(file, readBytes(file));
        // The database did not move: the bytes go again.
        commit.abandon();
        EXPECT_EQ(readBytes(log), old);
        EXPECT_TRUE(leftovers().empty());
        for (const auto& [file, bytes] : left)
            writeBytes(file, bytes);
    };

    killedAfterTheBytes();
    EXPECT_EQ(database::recoverCommit(database, { log }).status, CommitRecovery::Status::Dropped);
    EXPECT_EQ(readBytes(log), old);
    EXPECT_TRUE(leftovers().empty());

    killedAfterTheBytes();
    writeBytes(database, next);
    EXPECT_EQ(database::recoverCommit(database, { log }).status, CommitRecovery::Status::Finished);
    EXPECT_EQ(readBytes(log), old + "запись 2\n");
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(database::recoverCommit(database, { log }).status, CommitRecovery::Status::Nothing);
    EXPECT_EQ(readBytes(log), old + "запись 2\n");

    // A commit that an earlier program left, its journal's old length in a file of its own: kept
    // with the database it names, taken back from another.
    for (const auto& [onDisk, status, kept] :
        { std::tuple{ next, CommitRecovery::Status::Finished, old + "запись 2\n" },
            std::tuple{ std::string("другая база\r\n"), CommitRecovery::Status::Conflict, old } }) {
        writeBytes(database, onDisk);
        writeBytes(log, old + "запись 2\n");
        writeBytes(database + ".commit",
            "tervolin-commit 1\r\ndatabase\t" + Sha256::of(next)
                + "\r\nold\tnone\r\nappend\tTervolin2.log\r\n");
        writeBytes(log + ".commit",
            "tervolin-append 1\n" + std::to_string(old.size()) + "\t0\t" + Sha256::of(old) + "\n");
        EXPECT_EQ(database::recoverCommit(database, { log }).status, status);
        EXPECT_EQ(readBytes(log), kept);
        EXPECT_TRUE(leftovers().empty());
    }

    // A journal put back from elsewhere meanwhile is not cut.
    writeBytes(database, "старая база\r\n");
    killedAfterTheBytes();
    const std::string other = "журнал из копии, длиннее прежнего\n";
    writeBytes(log, other);
    EXPECT_EQ(database::recoverCommit(database, { log }).status, CommitRecovery::Status::Dropped);
    EXPECT_EQ(readBytes(log), other);
    EXPECT_TRUE(leftovers().empty());
}

} // namespace
