#pragma once

// Which automatic backups stay in the folder of backups: the newest few, one a day for the last
// weeks, one a month for the last two years, and never more bytes in all than a limit. Plain
// rules over names, times and sizes, so that years of use can be tried in a test.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace backup {

// A point of the computer's own (local) time, to the second, as the backups' names carry it.
using LocalTime = std::chrono::local_seconds;

struct RotationRules
{
    int newest = 10; // the last ones made, whenever they were made
    int days = 30; // one a day for today and the days before it
    int months = 24; // one a month for this month and the months before it
    std::uint64_t maxBytes = std::uint64_t(200) << 20; // all the sets together
};

struct KeptBackup
{
    std::string name; // the backup's file name, side files aside
    LocalTime time;
    std::uint64_t bytes = 0; // the backup and its side files
};

// The names of the backups to remove, oldest first. Of each day and each month the newest backup
// is the one kept. Over the byte limit the oldest kept go first, but the newest backup always stays:
// one backup larger than the limit is still better than none.
std::vector<std::string> backupsToRemove(
    const std::vector<KeptBackup>& backups, LocalTime now, const RotationRules& rules = {});

// "Tervolin2 2026-12-11 10-15-30.spb" for 10:15:30 on 11 December 2026.
std::string automaticBackupName(LocalTime time);
// The same name with " (2)", " (3)" … before ".spb", for a second backup within the same second.
std::string numberedName(const std::string& name, int number);
// The time an automatic backup's name carries, numbered or not; none for any other name.
std::optional<LocalTime> automaticBackupTime(std::string_view fileName);

} // namespace backup
