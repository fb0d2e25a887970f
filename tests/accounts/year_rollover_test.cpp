// December 2027 into January 2028 and on: the oldest year goes to an archive, the others stay as
// they were, and the new January starts from the December balances.

#include "accounts/bank_journal.h"
#include "accounts/year_rollover.h"
#include "database/database_file.h"
#include "database/year_archive.h"
#include "demo_data.h"
#include "documents/sheets.h"
#include "platform/file_system.h"
#include "reports/chart_data.h"
#include "sheet/reading_check.h"
#include "sheet/sheet.h"
#include "support/files.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using ledger::Rollover;

// The fields of a year block's months: January's first to December's last.
bool inYear(int f, int year)
{
    return f >= fields::baseOfMonth(year, 1) && f < fields::baseOfMonth(year, 12) + fields::MonthBlock;
}

std::vector<ledger::CarryOverRow> decemberBalances(RecordTable& table, int year)
{
    ledger::Grid grid;
    ledger::fill(table, ledger::ledgerMonth(year, 12), grid);
    ledger::compute(grid);
    return ledger::carryOverRows(grid);
}

class YearRollover : public ::testing::Test
{
protected:
    TempFolder folder;
    std::string path = folder.file("Tervolin2.spb");
    RecordTable table;

    void SetUp() override
    {
        fillDemoTable(table, fullDemoOptions(30));
        ASSERT_TRUE(database::write(path, table));
    }

    Rollover roll(const std::vector<ledger::CarryOverRow>& rows)
    {
        return ledger::openNextYear(table, path, rows, [this] { return database::write(path, table); });
    }

    std::string archive(const std::string& name) const { return folder.file(name); }
};

TEST_F(YearRollover, TheOldestYearGoesToTheArchiveAndTheOthersStayFieldForField)
{
    writeBytes(bank::journalPath(path), "1|05.02.2020|10,00||1|2020|2|06.02.2020|Иванов|\r\n");
    writeBytes(folder.file("Tervolin2.balance"), "2020|1|100||\r\n");
    // The ledger shows December first, which puts its amounts in their two-decimal form.
    const std::vector<ledger::CarryOverRow> rows = decemberBalances(table, 2027);
    ASSERT_TRUE(database::write(path, table));
    const std::string before = readBytes(path);
    const RecordTable old = table;

    const Rollover done = roll(rows);
    ASSERT_EQ(done.status, Rollover::Status::Opened) << done.error;
    EXPECT_EQ(done.archivePath, archive("Tervolin2 архив 2020-2027.spb"));
    EXPECT_EQ(readBytes(done.archivePath), before);
    EXPECT_EQ(readBytes(done.archivePath + ".bank"), readBytes(bank::journalPath(path)));
    EXPECT_EQ(readBytes(done.archivePath + ".balance"), "2020|1|100||\r\n");

    RecordTable reloaded;
    ASSERT_EQ(database::load(path, reloaded).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(reloaded.years().first(), 2021);
    EXPECT_EQ(reloaded.years().last(), 2028);
    const int january = fields::ledgerBaseOfMonth(2028, 1);
    for (int row = 1; row <= old.recordCount(); ++row) {
        for (int f = 1; f < fields::WindowField; ++f) {
            if (!inYear(f, 2020))
                ASSERT_EQ(reloaded.field(row, f), old.field(row, f)) << "record " << row << ", field " << f;
            else if (f == january || f == january + 1)
                ASSERT_EQ(reloaded.field(row, f),
                    f == january ? rows[std::size_t(row - 1)].underpayment
                                 : rows[std::size_t(row - 1)].overpayment);
            else
                ASSERT_EQ(reloaded.field(row, f), "") << "record " << row << ", field " << f;
        }
        EXPECT_EQ(reloaded.field(row, fields::WindowField), "2021");
    }
    // The demo's December 2027 ends in debt for some: January 2028 starts from it.
    EXPECT_FALSE(reloaded.field(1, january).empty() && reloaded.field(1, january + 1).empty());

    // The archive is an ordinary database of 2020 … 2027.
    RecordTable archived;
    ASSERT_EQ(database::load(done.archivePath, archived).status, database::LoadResult::Status::Loaded);
    EXPECT_EQ(archived.years().first(), 2020);
    EXPECT_EQ(archived.field(5, fields::baseOfMonth(2020, 3) + fields::CurrentReading),
        old.field(5, fields::baseOfMonth(2020, 3) + fields::CurrentReading));
}

TEST_F(YearRollover, TheYearsAfterReadAcrossTheNewYearAsTheyDidBefore)
{
    ASSERT_EQ(roll(decemberBalances(table, 2027)).status, Rollover::Status::Opened);
    const int current = fields::CurrentReading;
    const int previous = fields::PreviousReading;
    // January 2028 read 40 kWh past a previous reading that is not December's.
    const std::string december(table.field(2, sheet::cellField(2027, 12, current)));
    table.set(2, sheet::cellField(2028, 1, previous), std::to_string(std::stol(december) + 3));
    table.set(2, sheet::cellField(2028, 1, current), std::to_string(std::stol(december) + 43));
    table.set(2, sheet::cellField(2028, 1, fields::Tariff), "9,11");

    const sheet::ReadingCheck check = sheet::checkReadings(table, 2028, 1);
    ASSERT_EQ(check.findings.size(), 1u);
    EXPECT_EQ(check.findings[0].kind, sheet::FindingKind::ReadingGap);
    EXPECT_EQ(check.findings[0].values,
        "Последнее " + std::to_string(std::stol(december) + 3) + ", текущее за Декабрь 2027: " + december);

    // The statement for February 2028 falls back to January's reading, for March to the nearest one
    // earlier; a subscriber not read since December 2027 still has that reading.
    EXPECT_EQ(documents::lastReadings(table, "2028", 2)[2], std::to_string(std::stol(december) + 43));
    EXPECT_EQ(documents::lastReadings(table, "2028", 1)[3],
        std::string(table.field(3, sheet::cellField(2027, 12, current))));
    EXPECT_EQ(documents::lastReadings(table, "2020", 1)[3], "");

    // The chart draws 2028 from its own months, not 2020's.
    EXPECT_EQ(chart::monthlyValues(table, 2, 2028)[0], Currency::fromUnits(40));
    EXPECT_TRUE(chart::monthlyValues(table, 2, 2028)[1].isZero());
}

TEST_F(YearRollover, RollsOnTo2029WithASecondArchive)
{
    ASSERT_EQ(roll(decemberBalances(table, 2027)).status, Rollover::Status::Opened);
    const std::vector<ledger::CarryOverRow> rows = decemberBalances(table, 2028);
    ASSERT_TRUE(database::write(path, table));
    const std::string before = readBytes(path);
    const RecordTable old = table;
    const Rollover done = roll(rows);
    ASSERT_EQ(done.status, Rollover::Status::Opened);
    EXPECT_EQ(done.archivePath, archive("Tervolin2 архив 2021-2028.spb"));
    EXPECT_EQ(readBytes(done.archivePath), before);
    EXPECT_EQ(table.years().first(), 2022);
    for (int f = 1; f < fields::WindowField; ++f) {
        if (!inYear(f, 2021)) {
            ASSERT_EQ(table.field(7, f), old.field(7, f)) << f;
        }
    }
    EXPECT_EQ(table.field(7, fields::baseOfMonth(2029, 1) + fields::CurrentReading), "");
    // The earlier archive is left alone.
    EXPECT_TRUE(std::filesystem::exists(filePath(archive("Tervolin2 архив 2020-2027.spb"))));
}

TEST_F(YearRollover, AnArchiveOfOtherFilesIsNeverWrittenOverAndARepeatMakesNoSecond)
{
    const std::string name = archive("Tervolin2 архив 2020-2027.spb");
    writeBytes(name, "чужой архив");
    const std::string before = readBytes(path);

    // The database cannot be written: the table is as it was, the archive stays, under " (2)".
    const std::vector<ledger::CarryOverRow> rows = decemberBalances(table, 2027);
    const RecordTable old = table;
    Rollover failed = ledger::openNextYear(table, path, rows, [] { return false; });
    EXPECT_EQ(failed.status, Rollover::Status::NotWritten);
    EXPECT_EQ(failed.archivePath, archive("Tervolin2 архив 2020-2027 (2).spb"));
    EXPECT_EQ(table.years().first(), 2020);
    for (int row = 1; row <= table.recordCount(); ++row) {
        for (int f = 1; f <= fields::WindowField; ++f)
            ASSERT_TRUE(table.field(row, f) == old.field(row, f)) << row << ", " << f;
    }
    EXPECT_EQ(readBytes(name), "чужой архив");
    EXPECT_EQ(readBytes(failed.archivePath), before);

    // The repeat finds its own archive and makes no third.
    const Rollover done = roll(decemberBalances(table, 2027));
    ASSERT_EQ(done.status, Rollover::Status::Opened);
    EXPECT_EQ(done.archivePath, failed.archivePath);
    EXPECT_FALSE(std::filesystem::exists(filePath(archive("Tervolin2 архив 2020-2027 (3).spb"))));
}

TEST_F(YearRollover, AnArchiveNameWhoseSideFilesAreAnotherDatabasesIsPassedOver)
{
    // The same database once archived without a journal, and now it has one: that archive is not
    // this set, and a restore from it would bring the wrong journal in.
    const std::string name = archive("Tervolin2 архив 2020-2027.spb");
    writeBytes(name, readBytes(path));
    writeBytes(name + ".bank", "1|05.02.2026|10,00||1|2026|2|06.02.2026|Петров|\r\n");
    const Rollover done = roll(decemberBalances(table, 2027));
    ASSERT_EQ(done.status, Rollover::Status::Opened);
    EXPECT_EQ(done.archivePath, archive("Tervolin2 архив 2020-2027 (2).spb"));
    EXPECT_FALSE(std::filesystem::exists(filePath(done.archivePath + ".bank")));
}

TEST_F(YearRollover, NothingChangesWhenTheArchiveCannotBeWritten)
{
    std::filesystem::create_directory(filePath(archive("Tervolin2 архив 2020-2027.spb.tmp")));
    const std::string before = readBytes(path);
    const Rollover done = roll(decemberBalances(table, 2027));
    EXPECT_EQ(done.status, Rollover::Status::NotArchived);
    EXPECT_FALSE(done.error.empty());
    EXPECT_EQ(table.years().first(), 2020);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(filePath(archive("Tervolin2 архив 2020-2027.spb"))));
}

TEST(YearArchive, SideFilesOfTheDatabaseAndOfAnArchive)
{
    EXPECT_EQ(database::sideFilePath("/data/Tervolin2.spb", "Tervolin2.bank"), "/data/Tervolin2.bank");
    EXPECT_EQ(database::sideFilePath("/data/Tervolin2 архив 2020-2027.spb", "Tervolin2.balance"),
        "/data/Tervolin2 архив 2020-2027.spb.balance");
    EXPECT_EQ(database::archiveFileName(fields::YearWindow(2031)), "Tervolin2 архив 2031-2038.spb");
}

#ifndef _WIN32
TEST(YearArchive, SideFilesLieBesideTheFileALinkLeadsTo)
{
    TempFolder folder;
    std::filesystem::create_directory(filePath(folder.file("флешка")));
    writeBytes(folder.file("флешка/Tervolin2.spb"), "");
    std::filesystem::create_symlink(
        filePath(folder.file("флешка/Tervolin2.spb")), filePath(folder.file("Tervolin2.spb")));
    const std::string real = files::resolveLinks(folder.file("флешка/Tervolin2.spb"));
    EXPECT_EQ(database::sideFilePath(folder.file("Tervolin2.spb"), "Tervolin2.bank"),
        files::besideFile(real, "Tervolin2.bank"));
}
#endif

TEST(YearArchive, TheLastWindowCannotMoveOn)
{
    RecordTable table;
    table.setRecordCount(1);
    table.setYears(fields::YearWindow(2100));
    const Rollover done = ledger::openNextYear(table, "/nowhere/Tervolin2.spb", {}, [] { return true; });
    EXPECT_EQ(done.status, Rollover::Status::CannotMove);
    EXPECT_EQ(table.years().first(), 2100);
}

} // namespace
