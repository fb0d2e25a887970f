#include "reports/change_history.h"

#include "database/field_map.h"

#include <algorithm>
#include <map>
#include <set>

namespace history {
namespace {

int digits(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return text.empty() ? -1 : value;
}

template <typename Each> void forEachChange(const History& history, Each each)
{
    for (const changelog::Entry& entry : history.entries)
        for (const changelog::FieldChange& change : entry.changes)
            each(change);
}

} // namespace

const changelog::FieldChange* History::changeOf(const Row& row) const
{
    const changelog::Entry& entry = entries[row.entry];
    return row.change < entry.changes.size() ? &entry.changes[row.change] : nullptr;
}

History readHistory(std::string_view journal, const std::string& databaseHash)
{
    changelog::Verification read = changelog::verify(journal, databaseHash);
    History history;
    history.entries = std::move(read.entries);
    using Status = changelog::Verification::Status;
    const std::string after = read.lastTime.empty() ? std::string() : " после " + read.lastTime.substr(0, 16);
    if (read.status == Status::Broken) {
        history.warning = "Журнал изменений нарушен: запись № " + std::to_string(read.entry)
            + " не следует из записей до неё. Показаны записи до неё"
            + (read.lastTime.empty() ? std::string() : " (последняя от " + read.lastTime.substr(0, 16) + ")")
            + ".";
    } else if (read.status == Status::DatabaseChanged) {
        history.warning = "База изменена вне программы" + after + ": этого изменения в журнале нет.";
    }
    // Entries are appended as they happen: the newest is the last one, and within an entry the
    // fields keep their record order.
    for (std::size_t e = history.entries.size(); e-- > 0;) {
        const std::size_t count = history.entries[e].changes.size();
        if (count == 0)
            history.rows.push_back({ e, Row::NoChange });
        for (std::size_t c = 0; c < count; ++c)
            history.rows.push_back({ e, c });
    }
    return history;
}

int dayOf(std::string_view time)
{
    if (time.size() < 10 || time[2] != '.' || time[5] != '.')
        return 0;
    const int day = digits(time.substr(0, 2));
    const int month = digits(time.substr(3, 2));
    const int year = digits(time.substr(6, 4));
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 0)
        return 0;
    return year * 10000 + month * 100 + day;
}

std::vector<Row> filtered(const History& history, const Filter& filter)
{
    std::vector<Row> rows;
    for (const Row& row : history.rows) {
        const changelog::Entry& entry = history.entryOf(row);
        if (!filter.kind.empty() && entry.kind != filter.kind)
            continue;
        if (filter.fromDay != 0 || filter.toDay != 0) {
            // An entry whose time cannot be read belongs to no range of days.
            const int day = dayOf(entry.time);
            if (day == 0 || (filter.fromDay != 0 && day < filter.fromDay)
                || (filter.toDay != 0 && day > filter.toDay))
                continue;
        }
        const changelog::FieldChange* change = history.changeOf(row);
        if (!filter.subscriber.empty() && (!change || change->name != filter.subscriber))
            continue;
        if (filter.year != 0 && (!change || change->year != filter.year))
            continue;
        if (filter.month != 0 && (!change || change->month != filter.month))
            continue;
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> subscribers(const History& history)
{
    // The record a name was last seen at orders it, as the directory would.
    std::map<std::string, int> lastRecord;
    forEachChange(history, [&](const changelog::FieldChange& change) {
        if (!change.name.empty())
            lastRecord[change.name] = change.record;
    });
    std::vector<std::pair<int, std::string>> ordered;
    for (const auto& [name, record] : lastRecord)
        ordered.emplace_back(record, name);
    std::sort(ordered.begin(), ordered.end());
    std::vector<std::string> names;
    for (auto& [record, name] : ordered)
        names.push_back(std::move(name));
    return names;
}

std::vector<int> years(const History& history)
{
    std::set<int> found;
    forEachChange(history, [&](const changelog::FieldChange& change) {
        if (change.year > 0)
            found.insert(change.year);
    });
    return { found.begin(), found.end() };
}

std::vector<std::string> kinds(const History& history)
{
    std::vector<std::string> found;
    for (const changelog::Entry& entry : history.entries)
        if (std::find(found.begin(), found.end(), entry.kind) == found.end())
            found.push_back(entry.kind);
    return found;
}

int firstDay(const History& history)
{
    int first = 0;
    for (const changelog::Entry& entry : history.entries)
        if (const int day = dayOf(entry.time); day != 0 && (first == 0 || day < first))
            first = day;
    return first;
}

int lastDay(const History& history)
{
    int last = 0;
    for (const changelog::Entry& entry : history.entries)
        last = std::max(last, dayOf(entry.time));
    return last;
}

reports::ReportTable historyReport(const History& history, const std::vector<Row>& rows)
{
    using reports::ColumnKind;
    reports::ReportTable table;
    table.title = "Журнал изменений";
    table.columns = { { "Дата и время", ColumnKind::Text, 2300 }, { "Пользователь", ColumnKind::Text, 1500 },
        { "Что записывало", ColumnKind::Text, 2700 }, { "Абонент", ColumnKind::Text, 2400 },
        { "Год", ColumnKind::Text, 750 }, { "Месяц", ColumnKind::Text, 1100 },
        { "Поле", ColumnKind::Text, 2600 }, { "Было", ColumnKind::Text, 1300 },
        { "Стало", ColumnKind::Text, 1300 }, { "Примечание", ColumnKind::Text, 2000 } };
    table.rows.reserve(rows.size());
    for (const Row& row : rows) {
        const changelog::Entry& entry = history.entryOf(row);
        std::vector<std::string> cells
            = { entry.time, entry.user, entry.kind, {}, {}, {}, {}, {}, {}, entry.note };
        if (const changelog::FieldChange* change = history.changeOf(row)) {
            cells[3] = std::to_string(change->record) + " " + change->name;
            if (change->year > 0)
                cells[4] = std::to_string(change->year);
            if (change->month >= 1 && change->month <= 12)
                cells[5] = std::string(fields::MonthNames[std::size_t(change->month - 1)]);
            cells[6] = change->meaning;
            cells[7] = change->before;
            cells[8] = change->after;
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

} // namespace history
