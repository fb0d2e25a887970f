// The journal's entry for a write made from what the recorder remembers of the file is the entry
// a comparison with the whole old file gives, whatever the write changed; and it is added at the
// journal's end, chained as before.

#include "database/change_journal.h"
#include "database/database_file.h"
#include "database/sha256.h"
#include "database/year_archive.h"
#include "demo_data.h"
#include "directory/directory.h"
#include "support/files.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

using changelog::FieldChange;
using changelog::Verification;

std::string textOf(const std::vector<FieldChange>& changes)
{
    std::string text;
    for (const FieldChange& c : changes) {
        text += std::to_string(c.record) + "|" + c.name + "|" + std::to_string(c.year) + "|"
            + std::to_string(c.month) + "|" + c.meaning + "|" + c.before + "|" + c.after + "\n";
    }
    return text;
}

// Where two entries' changes part, for the failure message.
std::string firstDifference(const std::string& a, const std::string& b)
{
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    const std::size_t line = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
    return "entry:    " + a.substr(line, a.find('\n', at) - line)
        + "\nexpected: " + b.substr(line, b.find('\n', at) - line) + "\n(" + std::to_string(a.size()) + " / "
        + std::to_string(b.size()) + " bytes)";
}

class ChangeJournal : public ::testing::Test
{
protected:
    ChangeJournal()
    {
        fillDemoTable(table, fullDemoOptions(30));
        EXPECT_TRUE(database::write(database, table));
    }

    database::Commit save(changelog::Recorder& recorder)
    {
        changelog::Entry entry{ "06.12.2026 21:05:00", "ivan", "Сохранение", "", {}, "" };
        const database::SideFileChange change = recorder.entryFor(database, table, std::move(entry));
        const database::Commit written
            = database::write(database, table, { change }, nullptr, recorder.watch());
        recorder.written(written);
        return written;
    }

    // What a comparison of the table with the whole file on disk finds, as the journal holds it.
    std::string wholeFileDifferences() const
    {
        RecordTable loaded;
        if (database::load(database, loaded).status != database::LoadResult::Status::Loaded)
            loaded = RecordTable();
        changelog::Entry entry;
        entry.changes = changelog::differences(loaded, table);
        return textOf(changelog::verify(changelog::entryText(entry, ""), "").entries.at(0).changes);
    }

    Verification journal() const
    {
        return changelog::verify(readBytes(log), Sha256::of(readBytes(database)));
    }

    // A save after `change`, made from what the recorder knows, gives the whole-file entry.
    void expectTheSameEntry(changelog::Recorder& recorder, const std::function<void()>& change)
    {
        change();
        const std::string expected = wholeFileDifferences();
        ASSERT_FALSE(expected.empty());
        const std::size_t before = journal().entries.size();
        const database::SideFileChange entry = recorder.entryFor(database, table, changelog::Entry());
        ASSERT_TRUE(recorder.knowsTheFile());
        const database::Commit written
            = database::write(database, table, { entry }, nullptr, recorder.watch());
        recorder.written(written);
        ASSERT_EQ(written, database::Commit::Done);
        const Verification read = journal();
        ASSERT_EQ(read.status, Verification::Status::Sound);
        ASSERT_EQ(read.entries.size(), before + 1);
        const std::string made = textOf(read.entries.back().changes);
        EXPECT_TRUE(made == expected) << firstDifference(made, expected);
    }

    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    const std::string log = folder.file("Tervolin2.log");
    RecordTable table;
};

TEST_F(ChangeJournal, AnEntryFromTheRememberedFileIsTheEntryOfTheWholeFile)
{
    const int reading = fields::baseOfMonth(2026, 3) + fields::CurrentReading;
    const std::vector<std::pair<const char*, std::function<void(RecordTable&)>>> cases = {
        { "a reading", [&](RecordTable& t) { t.set(5, reading, "77777"); } },
        { "a name", [](RecordTable& t) { t.set(7, fields::FullName, "Новиков Н. Н."); } },
        { "a record deleted, the later ones renumbered",
            [](RecordTable& t) { ASSERT_TRUE(directory::deleteRecord(t, 12)); } },
        { "a record added",
            [](RecordTable& t) {
                t.setRecordCount(t.recordCount() + 1);
                t.set(t.recordCount(), fields::Number, std::to_string(t.recordCount()));
                t.set(t.recordCount(), fields::FullName, "Сидоров С. С.");
            } },
        { "two records swapped", [](RecordTable& t) { t.swapRecords(3, 4); } },
        // The write marks every record with the new first year; the entry, as the whole-file one,
        // compares the table as it was before.
        { "the years moved on", [](RecordTable& t) { database::dropFirstYear(t); } },
        { "a first year that the write sets back",
            [](RecordTable& t) { t.set(10, fields::WindowField, "2023"); } },
        // Texts the file does not give back as they are: a blank at a field's end, a line break, a
        // number that is not the row's, a record never filled in.
        { "texts a load changes",
            [](RecordTable& t) {
                t.set(2, fields::Address, "уч. 2 ");
                t.set(3, fields::Telephone, "8 900\n123");
                t.set(4, fields::Number, "40");
                t.clearRecord(6);
            } },
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        table = RecordTable();
        fillDemoTable(table, fullDemoOptions(30));
        ASSERT_TRUE(database::write(database, table));
        std::filesystem::remove(filePath(log));
        changelog::Recorder recorder;
        ASSERT_EQ(save(recorder), database::Commit::Done);
        expectTheSameEntry(recorder, [&] { change(table); });
        // And the write after it, of nothing new, finds what a load of the file finds.
        expectTheSameEntry(recorder, [&] { table.set(9, reading, "55555"); });
        expectTheSameEntry(recorder, [&] { table.set(9, reading, "55556"); });
    }
}

TEST_F(ChangeJournal, AWriteThatFailedLeavesTheOldFileAndItsChangesGoIntoTheNextEntry)
{
    changelog::Recorder recorder;
    ASSERT_EQ(save(recorder), database::Commit::Done);
    const int reading = fields::baseOfMonth(2026, 5) + fields::CurrentReading;
    table.set(5, reading, "11111");
    // The commit's record cannot be written: nothing of the write reaches the disk.
    std::filesystem::create_directory(filePath(database + ".commit"));
    EXPECT_EQ(save(recorder), database::Commit::Failed);
    std::filesystem::remove(filePath(database + ".commit"));
    expectTheSameEntry(recorder, [&] { table.set(6, reading, "22222"); });
    const std::vector<FieldChange> changes = journal().entries.back().changes;
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].after, "11111");
    EXPECT_EQ(changes[1].after, "22222");
}

TEST_F(ChangeJournal, AFileReplacedBehindTheRecorderIsReadWhole)
{
    changelog::Recorder recorder;
    ASSERT_EQ(save(recorder), database::Commit::Done);
    // Another program writes the file: the subscriber's address is no longer what was written.
    RecordTable other = table;
    other.set(8, fields::Address, "уч. 99");
    ASSERT_TRUE(database::write(database, other));
    const std::string expected = wholeFileDifferences();
    const database::SideFileChange entry = recorder.entryFor(database, table, changelog::Entry());
    EXPECT_FALSE(recorder.knowsTheFile());
    recorder.written(database::write(database, table, { entry }, nullptr, recorder.watch()));
    EXPECT_EQ(textOf(journal().entries.back().changes), expected);
    EXPECT_NE(expected.find("уч. 99"), std::string::npos);

    // A write of a copy elsewhere does not stand for the database.
    const std::string copy = folder.file("копия.spb");
    ASSERT_TRUE(database::copyFile(database, copy));
    recorder.entryFor(copy, table, changelog::Entry());
    EXPECT_FALSE(recorder.knowsTheFile());
}

// The database's SHA-256 in each entry goes on from the last write's hash up to the first record
// changed since: it must still be the SHA-256 of the whole file, wherever the change lies.
TEST_F(ChangeJournal, TheDatabaseHashIsTheFilesWhereverAWriteChangedIt)
{
    table = RecordTable();
    fillDemoTable(table, fullDemoOptions(600));
    ASSERT_GT(std::filesystem::file_size(filePath(database)), 0u);
    changelog::Recorder recorder;
    ASSERT_EQ(save(recorder), database::Commit::Done);
    ASSERT_GT(std::filesystem::file_size(filePath(database)), 3u * database::StreamHash::Step);
    const int reading = fields::baseOfMonth(2026, 3) + fields::CurrentReading;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        { "nothing", [] {} },
        { "the first record", [&] { table.set(1, reading, "1"); } },
        { "a record past the hash's first states", [&] { table.set(400, reading, "12345"); } },
        { "the last record", [&] { table.set(table.recordCount(), fields::Address, "уч. последний"); } },
        { "a text the write cleans of its line break",
            [&] { table.set(500, fields::Telephone, "8 900\n1"); } },
        { "the last record deleted", [&] { table.setRecordCount(table.recordCount() - 1); } },
        { "a record added",
            [&] {
                table.setRecordCount(table.recordCount() + 1);
                table.set(table.recordCount(), fields::Number, std::to_string(table.recordCount()));
            } },
        { "a record cleared", [&] { table.clearRecord(300); } },
        { "two records swapped", [&] { table.swapRecords(250, 450); } },
        { "the same text typed again", [&] { table.set(400, reading, "12345"); } },
        { "the table loaded afresh",
            [&] {
                RecordTable loaded;
                ASSERT_EQ(database::load(database, loaded).status, database::LoadResult::Status::Loaded);
                table = loaded;
                table.set(450, reading, "54321");
            } },
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        change();
        ASSERT_NE(save(recorder), database::Commit::Failed);
        const Verification read = journal();
        EXPECT_EQ(read.status, Verification::Status::Sound);
    }
    // A write that failed leaves the hash of the file before it to go on from.
    table.set(600, reading, "7");
    std::filesystem::create_directory(filePath(database + ".commit"));
    EXPECT_EQ(save(recorder), database::Commit::Failed);
    std::filesystem::remove(filePath(database + ".commit"));
    table.set(599, reading, "8");
    ASSERT_EQ(save(recorder), database::Commit::Done);
    EXPECT_EQ(journal().status, Verification::Status::Sound);
}

TEST_F(ChangeJournal, AnEntryIsAddedAtTheEndOfWhateverTheJournalEndsWith)
{
    changelog::Entry first{ "05.12.2026 10:00:00", "ivan", "Сохранение", "", {}, "h" };
    for (const std::string& journal : { std::string(), changelog::entryText(first, ""),
             changelog::entryText(first, "") + "обрыв без конца строки" }) {
        writeBytes(log, journal);
        changelog::Entry next{ "06.12.2026 10:00:00", "ivan", "Сохранение", "", {}, "h2" };
        const std::optional<std::string> grown = changelog::growthOfJournal(log, next);
        ASSERT_TRUE(grown.has_value());
        EXPECT_EQ(journal + *grown, changelog::appended(journal, next));
    }
    // A last entry longer than the first piece read back.
    changelog::Entry wide = first;
    for (int i = 0; i < 3000; ++i)
        wide.changes.push_back({ i, "Иванов И. И.", 2026, 3, "Текущее показание", "1", "2" });
    const std::string journal = changelog::entryText(first, "") + changelog::entryText(wide, "x");
    writeBytes(log, journal);
    EXPECT_EQ(journal + changelog::growthOfJournal(log, first).value(), changelog::appended(journal, first));
}

TEST(ChangeJournalText, TheFileGivesBackOnlyTextsItCanHold)
{
    const std::string plain = "7|Иванов И. И.|уч. 7||";
    EXPECT_TRUE(changelog::loadsAsWritten(7, plain));
    EXPECT_FALSE(changelog::loadsAsWritten(8, plain));
    EXPECT_FALSE(changelog::loadsAsWritten(7, "7| Иванов||"));
    EXPECT_FALSE(changelog::loadsAsWritten(7, "7|Иванов ||"));
    EXPECT_FALSE(changelog::loadsAsWritten(7, "7|Иванов\r\nИван||"));
    EXPECT_FALSE(changelog::loadsAsWritten(7, "7|日本||"));
    EXPECT_FALSE(changelog::loadsAsWritten(7, "7|\xD0||"));
    EXPECT_TRUE(changelog::loadsAsWritten(7, "7|Ё №5 «дом»||"));
    EXPECT_NE(changelog::lineKey(plain), changelog::lineKey("7|Иванов И. И.|уч. 8||"));
    EXPECT_NE(changelog::lineKey(std::string(64, 'a')), changelog::lineKey(std::string(63, 'a') + "b"));
}

} // namespace
