#pragma once

// The change journal as the window "Журнал изменений" shows it: one row per changed field (and one
// for an entry that changed none, as "Изменение вне программы"), the newest first, narrowed by
// subscriber, year, month, a range of dates and what wrote.

#include "database/change_log.h"
#include "reports/report_table.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace history {

// A row of the history: a field of an entry, or the entry itself when it changed none.
struct Row
{
    std::size_t entry = 0;
    std::size_t change = NoChange;
    static constexpr std::size_t NoChange = std::size_t(-1);
};

struct History
{
    std::vector<changelog::Entry> entries; // in the journal's order, up to a break
    std::vector<Row> rows; // newest first
    // What stands above the grid when the journal does not hold: where it breaks, or that the
    // database was changed since its last entry. Empty for a sound journal.
    std::string warning;
    bool empty() const { return entries.empty(); }

    const changelog::Entry& entryOf(const Row& row) const { return entries[row.entry]; }
    // The field the row shows; null for an entry without fields.
    const changelog::FieldChange* changeOf(const Row& row) const;
};

// The journal's text read against the database it sits beside (the SHA-256 of its file).
History readHistory(std::string_view journal, const std::string& databaseHash);

// A day as yyyymmdd, so that days compare as numbers; 0 for a time that is no "dd.MM.yyyy …".
int dayOf(std::string_view time);

struct Filter
{
    std::string subscriber; // the name; empty: every row
    int year = 0; // 0: every year
    int month = 0; // 0: every month
    int fromDay = 0; // yyyymmdd, both ends included; 0: open
    int toDay = 0;
    std::string kind; // what wrote; empty: every kind
};
std::vector<Row> filtered(const History& history, const Filter& filter);

// What the filters offer: the subscribers' names in record order (each once), the years in
// order, the kinds in the order they first came, and the first and last day of the journal.
std::vector<std::string> subscribers(const History& history);
std::vector<int> years(const History& history);
std::vector<std::string> kinds(const History& history);
int firstDay(const History& history);
int lastDay(const History& history);

// The rows as the grid shows, prints and exports them.
reports::ReportTable historyReport(const History& history, const std::vector<Row>& rows);

} // namespace history
