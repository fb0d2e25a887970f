#pragma once

// The change journal "Tervolin2.log" beside the database: for every write of the database one
// entry - when, who, what wrote, and every field that differs from the file as the program last
// wrote it, with its old and new text. The entries are chained: each names the SHA-256 of the
// entry before it and of the database file it describes, so that a changed entry, a removed one or
// a database changed outside the program is found out.
//
// UTF-8 text, an entry a block of lines, fields separated by "|" (no text it holds has one):
//   запись|14.03.2027 10:15:30|ivan|Сохранение
//   примечание|<text>                                    (when there is one)
//   поле|5|Иванов И. И.|2027|3|Текущее показание|12345|12400
//   база|<SHA-256 of the database file>
//   цепь|<SHA-256 of the entry before, its whole block; 64 zeros for the first>
//   подпись|<SHA-256 of this block's lines above>

#include "database/record_table.h"
#include "database/year_window.h"

#include <string>
#include <string_view>
#include <vector>

namespace changelog {

inline constexpr const char* FileName = "Tervolin2.log";

struct FieldChange
{
    int record = 0;
    std::string name; // the subscriber's name as the database holds it after the write
    int year = 0; // 0 for a field of no month (the directory's)
    int month = 0;
    std::string meaning; // "Текущее показание", "Внесено", "Адрес" …
    std::string before;
    std::string after;
};

struct Entry
{
    std::string time; // "14.03.2027 10:15:30"
    std::string user;
    std::string kind; // "Сохранение", "Загрузка выписки банка" …
    std::string note;
    std::vector<FieldChange> changes;
    std::string databaseHash;
};

// What a stored field means in the words of the windows, and the year and month it belongs to
// in the window of years (0 and 0 for the directory's fields and the spare ones).
struct FieldMeaning
{
    std::string words;
    int year = 0;
    int month = 0;
};
FieldMeaning fieldMeaning(int f, const fields::YearWindow& years);

// Every stored field (1 … 2128) of records 1 … the larger count whose text differs between the two
// tables, in record and field order; months are named in `after`'s window of years.
std::vector<FieldChange> differences(const RecordTable& before, const RecordTable& after);

// The block of an entry, chained to the one before it (its hash, or nothing for the first).
std::string entryText(const Entry& entry, const std::string& previousEntryHash);
// The SHA-256 of a block, which the next entry names.
std::string blockHash(std::string_view block);
// The journal with the entry appended, chained to its last block.
std::string appended(std::string_view journal, const Entry& entry);

struct Verification
{
    enum class Status {
        Empty, // no entries
        Sound, // the chain holds and the last entry describes the database
        Broken, // an entry was changed, removed or cut: the chain breaks at `entry`
        DatabaseChanged, // the chain holds, but the database is not the one the last entry describes
    };
    Status status = Status::Empty;
    int entry = 0; // 1-based: the first entry that does not follow from the one before
    std::string lastTime; // the time of the last entry that holds
    std::string lastHash; // the block hash of the last entry, for the next one
    std::vector<Entry> entries; // as read, up to the break
};
Verification verify(std::string_view journal, const std::string& databaseHash);

} // namespace changelog
