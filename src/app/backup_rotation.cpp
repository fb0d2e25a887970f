#include "app/backup_rotation.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace backup {
namespace {

using namespace std::chrono;

constexpr std::string_view Prefix = "Tervolin2 ";
constexpr std::string_view Extension = ".spb";

local_days dayOf(LocalTime time)
{
    return floor<days>(time);
}

// Months counted from year 0, so that two months' distance is a subtraction.
int monthNumber(LocalTime time)
{
    const year_month_day date(dayOf(time));
    return int(date.year()) * 12 + int(unsigned(date.month())) - 1;
}

bool digits(std::string_view text)
{
    return !text.empty()
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view text)
{
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

} // namespace

std::vector<std::string> backupsToRemove(
    const std::vector<KeptBackup>& backups, LocalTime now, const RotationRules& rules)
{
    // Newest first; of two made within the same second the numbered later one is newer.
    std::vector<const KeptBackup*> order;
    for (const KeptBackup& backup : backups)
        order.push_back(&backup);
    std::stable_sort(order.begin(), order.end(), [](const KeptBackup* a, const KeptBackup* b) {
        return a->time != b->time              ? a->time > b->time
            : a->name.size() != b->name.size() ? a->name.size() > b->name.size()
                                               : a->name > b->name;
    });

    std::vector<bool> keep(order.size(), false);
    std::set<local_days> daysSeen;
    std::set<int> monthsSeen;
    const local_days today = dayOf(now);
    const int thisMonth = monthNumber(now);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const LocalTime time = order[i]->time;
        if (int(i) < rules.newest)
            keep[i] = true;
        // A backup dated after now (the clock was wrong then) stands for no day or month of its own:
        // it must not take today's place. The newest ones keep it while it is among them.
        if (time > now)
            continue;
        const local_days day = dayOf(time);
        if ((today - day).count() < rules.days && daysSeen.insert(day).second)
            keep[i] = true;
        const int month = monthNumber(time);
        if (thisMonth - month < rules.months && monthsSeen.insert(month).second)
            keep[i] = true;
    }

    std::uint64_t total = 0;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (keep[i])
            total += order[i]->bytes;
    for (std::size_t i = order.size(); i-- > 1 && total > rules.maxBytes;) {
        if (!keep[i])
            continue;
        keep[i] = false;
        total -= order[i]->bytes;
    }

    std::vector<std::string> removed;
    for (std::size_t i = order.size(); i-- > 0;)
        if (!keep[i])
            removed.push_back(order[i]->name);
    return removed;
}

std::string automaticBackupName(LocalTime time)
{
    const year_month_day date(dayOf(time));
    const hh_mm_ss clock(time - dayOf(time));
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d-%02d-%02d", int(date.year()),
        unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
        int(clock.minutes().count()), int(clock.seconds().count()));
    return std::string(Prefix) + text + std::string(Extension);
}

std::string numberedName(const std::string& name, int number)
{
    const std::string stem = name.substr(0, name.size() - Extension.size());
    return stem + " (" + std::to_string(number) + ")" + std::string(Extension);
}

std::optional<LocalTime> automaticBackupTime(std::string_view fileName)
{
    if (!fileName.starts_with(Prefix) || !fileName.ends_with(Extension))
        return std::nullopt;
    std::string_view rest
        = fileName.substr(Prefix.size(), fileName.size() - Prefix.size() - Extension.size());
    // "2026-12-11 10-15-30", then nothing or " (n)".
    constexpr std::size_t Stamp = 19;
    if (rest.size() < Stamp)
        return std::nullopt;
    const std::string_view stamp = rest.substr(0, Stamp);
    const std::string_view tail = rest.substr(Stamp);
    if (!tail.empty()
        && !(tail.size() > 4 && tail.starts_with(" (") && tail.ends_with(")")
            && digits(tail.substr(2, tail.size() - 3))))
        return std::nullopt;
    for (std::size_t at : { 4u, 7u, 13u, 16u })
        if (stamp[at] != '-')
            return std::nullopt;
    if (stamp[10] != ' ')
        return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t size) { return stamp.substr(at, size); };
    for (auto [at, size] :
        { std::pair{ 0u, 4u }, { 5u, 2u }, { 8u, 2u }, { 11u, 2u }, { 14u, 2u }, { 17u, 2u } })
        if (!digits(part(at, size)))
            return std::nullopt;
    const year_month_day date{ year(number(part(0, 4))), month(unsigned(number(part(5, 2)))),
        day(unsigned(number(part(8, 2)))) };
    const int hour = number(part(11, 2));
    const int minute = number(part(14, 2));
    const int second = number(part(17, 2));
    if (!date.ok() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return local_days(date) + hours(hour) + minutes(minute) + seconds(second);
}

} // namespace backup
