#include "accounts/claims_register.h"

#include "support/files.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

penalty::Date date(int y, unsigned m, unsigned d)
{
    return year(y) / month(m) / day(d);
}

RecordTable tableOf(std::initializer_list<const char*> names)
{
    RecordTable table;
    table.setRecordCount(int(names.size()));
    int r = 0;
    for (const char* name : names) {
        ++r;
        table.set(r, fields::Number, std::to_string(r));
        table.set(r, fields::FullName, name);
    }
    return table;
}

TEST(ClaimsRegister, WritesWindows1251LinesAndReadsThemBack)
{
    const RecordTable table = tableOf({ "Иванов И. И.", "Петрова П. П." });
    claims::Register reg;
    reg.claims.push_back({ 1, date(2026, 3, 5), 2, "Петрова П. П.", Currency::parse("1050").value() });
    reg.claims.push_back({ 2, date(2026, 3, 5), 1, "Иванов И. И.", Currency::parse("199,72").value() });
    const std::string bytes = claims::bytes(reg);
    EXPECT_EQ(cp1251::decode(bytes),
        "1\t05.03.2026\t2\tПетрова П. П.\t1050,00\r\n"
        "2\t05.03.2026\t1\tИванов И. И.\t199,72\r\n");
    const claims::Register back = claims::parse(bytes, table);
    ASSERT_EQ(back.claims.size(), 2u);
    EXPECT_EQ(back.claims[0].number, 1);
    EXPECT_EQ(back.claims[0].date, date(2026, 3, 5));
    EXPECT_EQ(back.claims[0].record, 2);
    EXPECT_EQ(back.claims[1].sum, Currency::parse("199,72").value());
    EXPECT_TRUE(back.unreadLines.empty());
}

TEST(ClaimsRegister, FollowsADeletionByTheName)
{
    // Written when Сидоров was record 3; Иванов (record 1) has been deleted since.
    const std::string bytes = cp1251::encode("4\t01.02.2026\t3\tСидоров С. С.\t10,00\r\n"
                                             "5\t01.02.2026\t1\tИванов И. И.\t20,00\r\n"
                                             "6\t01.02.2026\t2\tПетрова П. П.\t30,00\r\n");
    const RecordTable after = tableOf({ "Петрова П. П.", "Сидоров С. С." });
    const claims::Register reg = claims::parse(bytes, after);
    ASSERT_EQ(reg.claims.size(), 3u);
    EXPECT_EQ(reg.claims[0].record, 2); // moved down with the deletion
    EXPECT_EQ(reg.claims[1].record, 0); // no longer in the directory, but kept
    EXPECT_EQ(reg.claims[2].record, 1);
    EXPECT_EQ(claims::latestClaim(reg, 2)->number, 4);
    EXPECT_EQ(claims::latestClaim(reg, 0), nullptr);
    // Written again, the lines say the records as they are now.
    const std::string rewritten = cp1251::decode(claims::bytes(reg));
    EXPECT_NE(rewritten.find("4\t01.02.2026\t2\tСидоров С. С.\t10,00\r\n"), std::string::npos);
    EXPECT_NE(rewritten.find("5\t01.02.2026\t0\tИванов И. И.\t20,00\r\n"), std::string::npos);
}

TEST(ClaimsRegister, AMovedNumberFindsTheNearestNamesakeBelowIt)
{
    // Two subscribers of the same name: the claim of record 3 follows a deletion before it to 2,
    // not to the namesake at 1.
    const std::string bytes = cp1251::encode("1\t01.02.2026\t3\tКузнецов\t10,00\r\n");
    const RecordTable after = tableOf({ "Кузнецов", "Кузнецов", "Смирнов" });
    EXPECT_EQ(claims::parse(bytes, after).claims[0].record, 2);
    const RecordTable unchanged = tableOf({ "Кузнецов", "Смирнов", "Кузнецов" });
    EXPECT_EQ(claims::parse(bytes, unchanged).claims[0].record, 3);
}

TEST(ClaimsRegister, NumbersStartAgainEachYearAndTheLatestClaimIsShown)
{
    const RecordTable table = tableOf({ "Иванов" });
    claims::Register reg;
    reg.claims.push_back({ 7, date(2025, 12, 30), 1, "Иванов", Currency() });
    reg.claims.push_back({ 1, date(2026, 1, 12), 1, "Иванов", Currency() });
    reg.claims.push_back({ 2, date(2026, 2, 1), 2, "Петров", Currency() });
    EXPECT_EQ(claims::nextNumber(reg, 2025), 8);
    EXPECT_EQ(claims::nextNumber(reg, 2026), 3);
    EXPECT_EQ(claims::nextNumber(reg, 2027), 1);
    EXPECT_EQ(claims::claimCaption(*claims::latestClaim(reg, 1)), "претензия № 1 от 12.01.2026");
    // A zero sum is written as an amount all the same.
    EXPECT_NE(cp1251::decode(claims::bytes(reg)).find("\tИванов\t0,00\r\n"), std::string::npos);
}

TEST(ClaimsRegister, KeepsLinesItCannotRead)
{
    const std::string bytes = cp1251::encode("1\t05.03.2026\t1\tИванов\t10,00\r\n"
                                             "записано от руки\r\n"
                                             "2\t31.02.2026\t1\tИванов\t10,00\r\n"
                                             "\r\n");
    const claims::Register reg = claims::parse(bytes, tableOf({ "Иванов" }));
    ASSERT_EQ(reg.claims.size(), 1u);
    ASSERT_EQ(reg.unreadLines.size(), 2u);
    const std::string again = cp1251::decode(claims::bytes(reg));
    EXPECT_NE(again.find("записано от руки\r\n"), std::string::npos);
    EXPECT_NE(again.find("2\t31.02.2026\t1\tИванов\t10,00\r\n"), std::string::npos);
}

TEST(ClaimsRegister, LivesBesideTheDatabase)
{
    TempFolder folder;
    const std::string database = folder.file("Tervolin2.spb");
    const RecordTable table = tableOf({ "Иванов" });
    EXPECT_EQ(claims::read(database, table).status, claims::ReadResult::Status::None);
    claims::Register reg;
    reg.claims.push_back({ 1, date(2026, 3, 5), 1, "Иванов", Currency::parse("5").value() });
    ASSERT_TRUE(claims::write(database, reg));
    EXPECT_EQ(claims::filePath(database), folder.file("Tervolin2.claims"));
    const claims::ReadResult read = claims::read(database, table);
    EXPECT_EQ(read.status, claims::ReadResult::Status::Read);
    ASSERT_EQ(read.claims.claims.size(), 1u);
    EXPECT_EQ(read.claims.claims[0].fullName, "Иванов");
}

} // namespace
