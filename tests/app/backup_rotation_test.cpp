#include "app/backup_rotation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

namespace {

using namespace std::chrono;
using backup::KeptBackup;
using backup::LocalTime;

LocalTime at(int y, unsigned m, unsigned d, int hour = 12, int minute = 0)
{
    return local_days(year_month_day(year(y), month(m), day(d))) + hours(hour) + minutes(minute);
}

// The folder of backups as the program keeps it: each new backup, then the rule applied.
class Folder
{
public:
    explicit Folder(backup::RotationRules rules = {}) : m_rules(rules) { }

    void add(LocalTime time, std::uint64_t bytes = 1 << 20)
    {
        std::string name = backup::automaticBackupName(time);
        for (int n = 2; m_kept.count(name); ++n)
            name = backup::numberedName(backup::automaticBackupName(time), n);
        m_kept[name] = { name, time, bytes };
        std::vector<KeptBackup> list;
        for (const auto& [key, kept] : m_kept)
            list.push_back(kept);
        for (const std::string& removed : backup::backupsToRemove(list, time, m_rules))
            ASSERT_EQ(m_kept.erase(removed), 1u) << removed;
    }

    std::vector<LocalTime> times() const
    {
        std::vector<LocalTime> result;
        for (const auto& [name, kept] : m_kept)
            result.push_back(kept.time);
        std::sort(result.begin(), result.end());
        return result;
    }
    bool holds(LocalTime time) const
    {
        const std::vector<LocalTime> all = times();
        return std::find(all.begin(), all.end(), time) != all.end();
    }

private:
    backup::RotationRules m_rules;
    std::map<std::string, KeptBackup> m_kept;
};

TEST(BackupRotation, TwoYearsOfClosesKeepTheNewestOneADayAndOneAMonth)
{
    // One to four closes on most days, none on some, for two years and a month.
    std::mt19937 random(7);
    Folder folder;
    std::vector<LocalTime> made;
    std::map<local_days, LocalTime> lastOfDay;
    std::map<int, LocalTime> lastOfMonth;
    const local_days first = local_days(year(2025) / 1 / 1);
    const local_days last = local_days(year(2027) / 2 / 10);
    for (local_days day = first; day <= last; day += days(1)) {
        const int closes = int(random() % 5);
        for (int i = 0; i < closes; ++i) {
            const LocalTime time = day + hours(8 + 3 * i) + minutes(int(random() % 120));
            folder.add(time);
            made.push_back(time);
            lastOfDay[day] = time;
            const year_month_day date(day);
            lastOfMonth[int(date.year()) * 12 + int(unsigned(date.month()))] = time;
        }
    }
    ASSERT_GT(made.size(), 1000u);
    const LocalTime now = made.back();
    const local_days today = floor<days>(now);

    for (std::size_t i = made.size() - 10; i < made.size(); ++i)
        EXPECT_TRUE(folder.holds(made[i])) << "one of the last ten";
    for (const auto& [day, time] : lastOfDay)
        if ((today - day).count() < 30)
            EXPECT_TRUE(folder.holds(time)) << "the newest of a day of the last 30";
    const year_month_day thisDate(today);
    const int thisMonth = int(thisDate.year()) * 12 + int(unsigned(thisDate.month()));
    for (const auto& [month, time] : lastOfMonth)
        if (thisMonth - month < 24)
            EXPECT_TRUE(folder.holds(time)) << "the newest of a month of the last 24";

    // Nothing else: what is kept is what the three rules ask, and nothing from before 24 months.
    const std::vector<LocalTime> kept = folder.times();
    EXPECT_LE(kept.size(), 10u + 30u + 24u);
    EXPECT_GE(kept.size(), 30u + 22u);
    EXPECT_GE(kept.front(), local_days(year(2025) / 3 / 1));
    std::set<local_days> daysKept;
    for (LocalTime time : kept)
        daysKept.insert(floor<days>(time));
    EXPECT_LE(kept.size(), daysKept.size() + 9) << "only the last ten share a day";
}

TEST(BackupRotation, OverTheByteLimitTheOldestGoFirstButTheNewestStays)
{
    backup::RotationRules rules;
    rules.maxBytes = 100;
    Folder folder(rules);
    std::vector<LocalTime> made;
    for (int d = 1; d <= 15; ++d) {
        made.push_back(at(2026, 3, unsigned(d)));
        folder.add(made.back(), 10);
    }
    // Ten of 10 bytes fit: the fifteen days' backups would keep fifteen.
    EXPECT_EQ(folder.times(), std::vector<LocalTime>(made.end() - 10, made.end()));

    // One backup larger than the limit is all that remains, but it remains.
    folder.add(at(2026, 3, 16), 500);
    EXPECT_EQ(folder.times(), std::vector<LocalTime>{ at(2026, 3, 16) });
}

TEST(BackupRotation, ManyInOneSecondAreTiedByTheirNumber)
{
    backup::RotationRules rules;
    rules.newest = 2;
    rules.days = 0;
    rules.months = 0;
    const LocalTime time = at(2026, 12, 11, 10, 15);
    std::vector<KeptBackup> list;
    list.push_back({ backup::automaticBackupName(time), time, 1 });
    for (int n = 2; n <= 10; ++n)
        list.push_back({ backup::numberedName(backup::automaticBackupName(time), n), time, 1 });
    const std::vector<std::string> removed = backup::backupsToRemove(list, time, rules);
    ASSERT_EQ(removed.size(), 8u);
    EXPECT_EQ(removed.front(), "Tervolin2 2026-12-11 10-15-00.spb");
    EXPECT_EQ(removed.back(), "Tervolin2 2026-12-11 10-15-00 (8).spb");
}

TEST(BackupRotation, ABackupDatedInTheFutureDoesNotPushOutTodays)
{
    // The clock was a month ahead once: that backup is among the newest, but takes no day's place.
    backup::RotationRules rules;
    rules.newest = 1;
    const LocalTime now = at(2026, 5, 10);
    const std::vector<KeptBackup> list = { { "future", at(2026, 6, 10), 1 }, { "today", now, 1 },
        { "earlier today", now - hours(2), 1 }, { "yesterday", at(2026, 5, 9), 1 } };
    EXPECT_EQ(backup::backupsToRemove(list, now, rules), std::vector<std::string>{ "earlier today" });
}

TEST(BackupNames, CarryTheirTimeAndNothingElseIsTakenForOne)
{
    const LocalTime time = at(2026, 12, 11, 10, 15) + seconds(30);
    EXPECT_EQ(backup::automaticBackupName(time), "Tervolin2 2026-12-11 10-15-30.spb");
    EXPECT_EQ(backup::numberedName("Tervolin2 2026-12-11 10-15-30.spb", 2),
        "Tervolin2 2026-12-11 10-15-30 (2).spb");
    EXPECT_EQ(backup::automaticBackupTime("Tervolin2 2026-12-11 10-15-30.spb"), time);
    EXPECT_EQ(backup::automaticBackupTime("Tervolin2 2026-12-11 10-15-30 (12).spb"), time);
    EXPECT_EQ(backup::automaticBackupTime(backup::automaticBackupName(at(2024, 2, 29, 23, 59))),
        at(2024, 2, 29, 23, 59));
    for (const char* other : { "Tervolin2.spb", "06.12.2026 21ч05мин Tervolin2.spb",
             "Tervolin2 2026-12-11 10-15-30.spb.bank", "Tervolin2 2026-13-11 10-15-30.spb",
             "Tervolin2 2026-02-30 10-15-30.spb", "Tervolin2 2026-12-11 24-00-00.spb",
             "Tervolin2 2026-12-11 10-15-30 ().spb", "Tervolin2 2026-12-11 10-15-30 (x).spb",
             "Tervolin2 2026-12-11 10-15-30 копия.spb", "Tervolin2 2026/12/11 10-15-30.spb" })
        EXPECT_EQ(backup::automaticBackupTime(other), std::nullopt) << other;
}

} // namespace
