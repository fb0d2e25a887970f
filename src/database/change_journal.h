#pragma once

// The entry that each write of the database adds to the change journal (change_log.h), made
// without reading the whole database again and without writing the whole journal again.
//
// What a write changed is what differs between the table and the file on disk. The recorder
// remembers the file its last write left: for each line, where it ends and a 64-bit hash of the
// record's text as the file gives it back when loaded. At the next write a record whose text
// hashes the same is passed over; only the others have their old line read from the old file,
// which stands until the new one takes its place, and compared field by field. The entry is then
// the one a comparison with the whole file loaded gives, field for field.
//
// Whatever else replaced the file since (a restore, another program, a write that went through
// another path) shows in its size and time, and the entry is then made from the whole file. A
// write that failed leaves the old file and what the recorder knows of it.

#include "database/change_log.h"
#include "database/database_file.h"
#include "database/record_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace changelog {

class Recorder
{
public:
    Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The journal's side change for the write of `table` to the database file at `databasePath`
    // that follows: `entry` (its time, user, kind and note) with every field that differs from the
    // file, added at the journal's end. The write must get watch() and end with written().
    database::SideFileChange entryFor(const std::string& databasePath, const RecordTable& table, Entry entry);
    const database::WriteWatch& watch() const { return m_watch; }
    void written(database::Commit result);

    // Whether the entry under way is made without loading the whole file.
    bool knowsTheFile() const { return m_fast; }

private:
    struct Lines
    {
        std::string path; // the database file, links resolved
        std::string stamp; // its size and time once written
        std::vector<std::uint64_t> ends; // of the line of each record, 0-based
        std::vector<std::uint64_t> keys; // the hash of each record's text
        std::vector<char> known; // whether the file gives that text back when loaded
    };

    void watched(int row, std::string_view text, std::uint64_t end);
    std::vector<FieldChange> fastDifferences() const;

    std::optional<Lines> m_file; // the file as the last write left it
    Lines m_next; // the file the write under way makes
    bool m_fast = false;
    const RecordTable* m_table = nullptr;
    std::vector<std::string> m_window; // field 2128 of each record before the write marks it
    database::WriteMemory m_memory; // of the table's last write
    database::WriteWatch m_watch;
};

// The hash that tells a record's text from another, and whether the file gives back `text`
// (fields 1 … 2128 each followed by "|") as it is when loaded at `row`: field 1 its number, no
// field beginning or ending with a blank, no line break, nothing the code page cannot hold.
std::uint64_t lineKey(std::string_view text);
bool loadsAsWritten(int row, std::string_view text);

// The journal's bytes for one more entry: a line break when its last line lacks one, then the
// entry chained to its last block. Only the journal's end is read.
std::optional<std::string> growthOfJournal(const std::string& journalPath, const Entry& entry);

} // namespace changelog
