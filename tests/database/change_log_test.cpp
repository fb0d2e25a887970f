// The change journal names every field a write changed in the windows' words, and finds out an
// entry changed, removed or cut, and a database that is not the one its last entry describes.

#include "database/change_log.h"
#include "database/field_map.h"
#include "database/sha256.h"

#include <gtest/gtest.h>

namespace {

using changelog::Verification;

TEST(ChangeLog, FieldsAreNamedInTheWindowsWordsWithTheirYearAndMonth)
{
    const fields::YearWindow first;
    EXPECT_EQ(changelog::fieldMeaning(fields::Address, first).words, "Адрес");
    EXPECT_EQ(changelog::fieldMeaning(fields::Address, first).year, 0);
    const changelog::FieldMeaning reading
        = changelog::fieldMeaning(fields::baseOfMonth(2026, 3) + fields::CurrentReading, first);
    EXPECT_EQ(reading.words, "Текущее показание");
    EXPECT_EQ(reading.year, 2026);
    EXPECT_EQ(reading.month, 3);
    // December of the last block, and the same block once the window has moved on to 2028.
    const int paid = fields::ledgerBaseOfMonth(2027, 12) + 6;
    EXPECT_EQ(changelog::fieldMeaning(paid, first).words, "Внесено");
    EXPECT_EQ(changelog::fieldMeaning(paid, first).month, 12);
    EXPECT_EQ(changelog::fieldMeaning(paid, first).year, 2027);
    const int january2028 = fields::baseOfMonth(2028, 1) + fields::Date;
    EXPECT_EQ(changelog::fieldMeaning(january2028, fields::YearWindow(2021)).year, 2028);
    EXPECT_EQ(changelog::fieldMeaning(fields::WindowField, first).words, "Первый год базы");
}

TEST(ChangeLog, TheDifferencesAreTheFieldsThatChangedAndTheRecordsAddedOrGone)
{
    RecordTable before;
    before.setRecordCount(2);
    before.set(1, fields::FullName, "Иванов И. И.");
    before.set(2, fields::FullName, "Петров П. П.");
    before.set(1, fields::baseOfMonth(2026, 3) + fields::CurrentReading, "12345");
    RecordTable after = before;
    after.set(1, fields::baseOfMonth(2026, 3) + fields::CurrentReading, "12400");
    after.set(2, fields::Address, "уч. 5");
    after.setRecordCount(3);
    after.set(3, fields::FullName, "Сидоров С. С.");

    const std::vector<changelog::FieldChange> changes = changelog::differences(before, after);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].record, 1);
    EXPECT_EQ(changes[0].name, "Иванов И. И.");
    EXPECT_EQ(changes[0].meaning, "Текущее показание");
    EXPECT_EQ(changes[0].year, 2026);
    EXPECT_EQ(changes[0].month, 3);
    EXPECT_EQ(changes[0].before, "12345");
    EXPECT_EQ(changes[0].after, "12400");
    EXPECT_EQ(changes[1].meaning, "Адрес");
    EXPECT_EQ(changes[1].after, "уч. 5");
    EXPECT_EQ(changes[2].record, 3);
    EXPECT_EQ(changes[2].meaning, "Фамилия И. О.");
    EXPECT_TRUE(changelog::differences(after, after).empty());
}

class ChangeLogChain : public ::testing::Test
{
protected:
    ChangeLogChain()
    {
        changelog::Entry first;
        first.time = "14.03.2027 10:15:30";
        first.user = "ivan";
        first.kind = "Сохранение";
        first.changes.push_back({ 1, "Иванов И. И.", 2027, 3, "Текущее показание", "12345", "12400" });
        first.databaseHash = Sha256::of("первая база");
        const std::string a = changelog::entryText(first, "");
        changelog::Entry second = first;
        second.time = "15.03.2027 09:00:00";
        second.kind = "Загрузка выписки банка";
        second.note = "выписка | март";
        second.changes.clear();
        second.changes.push_back({ 2, "Петров П. П.", 2027, 3, "Внесено", "", "1500,00" });
        second.databaseHash = Sha256::of("вторая база");
        journal = a + changelog::entryText(second, changelog::blockHash(a));
    }
    std::string journal;
};

TEST_F(ChangeLogChain, ASoundJournalReadsBackWholeAndNamesItsDatabase)
{
    const Verification read = changelog::verify(journal, Sha256::of("вторая база"));
    EXPECT_EQ(read.status, Verification::Status::Sound);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].kind, "Загрузка выписки банка");
    EXPECT_EQ(read.entries[1].note, "выписка / март");
    EXPECT_EQ(read.entries[1].changes[0].after, "1500,00");
    EXPECT_EQ(read.lastTime, "15.03.2027 09:00:00");
    EXPECT_EQ(changelog::verify("", "x").status, Verification::Status::Empty);

    // The database changed after the last entry: said with the time of that entry.
    const Verification other = changelog::verify(journal, Sha256::of("база, исправленная вручную"));
    EXPECT_EQ(other.status, Verification::Status::DatabaseChanged);
    EXPECT_EQ(other.lastTime, "15.03.2027 09:00:00");
}

TEST_F(ChangeLogChain, AnEntryAppendedFollowsTheChain)
{
    changelog::Entry third;
    third.time = "16.03.2027 08:00:00";
    third.kind = "Сохранение";
    third.databaseHash = Sha256::of("третья база");
    const std::string longer = changelog::appended(journal, third);
    const Verification read = changelog::verify(longer, Sha256::of("третья база"));
    EXPECT_EQ(read.status, Verification::Status::Sound);
    EXPECT_EQ(read.entries.size(), 3u);
    EXPECT_EQ(changelog::verify(changelog::appended("", third), third.databaseHash).status,
        Verification::Status::Sound);
}

TEST_F(ChangeLogChain, AnEntryChangedRemovedOrCutBreaksTheChainWhereItIs)
{
    const std::string hash = Sha256::of("вторая база");
    std::string changed = journal;
    changed.replace(changed.find("12400"), 5, "12300");
    EXPECT_EQ(changelog::verify(changed, hash).status, Verification::Status::Broken);
    EXPECT_EQ(changelog::verify(changed, hash).entry, 1);

    // The newest entry has nothing after it, yet a change in it shows.
    std::string last = journal;
    last.replace(last.find("1500,00"), 7, "150,00");
    EXPECT_EQ(changelog::verify(last, hash).status, Verification::Status::Broken);
    EXPECT_EQ(changelog::verify(last, hash).entry, 2);

    const std::size_t second = journal.find("запись|15.03");
    EXPECT_EQ(changelog::verify(journal.substr(second), hash).status, Verification::Status::Broken);
    EXPECT_EQ(
        changelog::verify(journal.substr(0, journal.size() - 10), hash).status, Verification::Status::Broken);
}

} // namespace
