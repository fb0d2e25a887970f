#pragma once

// The database file "Tervolin2.spb": Windows-1251 text, one line per record ending in CR LF, each
// line the fields 1 … 2128 each followed by "|". Reading and writing are whole-file operations.

#include "database/commit.h"
#include "database/record_table.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace database {

inline constexpr const char* FileName = "Tervolin2.spb";
// What a write is building beside the file it replaces: "Tervolin2.spb.tmp".
inline constexpr const char* TemporarySuffix = ".tmp";

struct LoadResult
{
    enum class Status {
        Loaded,
        NotFound, // no file at the path
        Empty, // a file without content
        BadLine, // line `line` holds fewer than 2128 separators
        TooManyLines, // more records than the table's 3001 rows
        OpenFailed, // any other failure to read
    };
    Status status = Status::OpenFailed;
    int line = 0; // 1-based number of the bad line
    int records = 0; // lines read
};

// Loads the file into the table: field 1 of each record becomes its row number, the other fields
// are trimmed of blanks, text after the 2128th separator is dropped. The table's window of years is
// the one field 2128 of the records names. On any status but Loaded the table is left empty.
LoadResult load(const std::string& path, RecordTable& table);

// The same reading and line check, keeping nothing, and stricter: a backup is checked with it
// before it may replace the database, so a line must also hold no NUL byte, which no text file
// holds. A line that does is a BadLine; every byte a loaded database may hold passes.
LoadResult check(const std::string& path);

// Writes records 1 … recordCount to the file, each naming the table's window of years in field 2128
// (a text there that names no window is kept). The new content goes to a temporary file in the same
// folder, which is flushed to disk and then renamed over the old file, so that a failure or a
// crash at any moment leaves either the old file or the new one. Line breaks inside fields are
// left out of the file and, once the file is written, out of the table too. On failure the file
// and the table are as they were and `error` says why.
// A path that is a symbolic link is written through: the file it leads to is replaced (the
// temporary file goes beside that one) and the link stays. A file without write permission
// (isWriteProtected) is refused and kept.
bool write(const std::string& path, RecordTable& table, std::string* error = nullptr);

// How a write with side files ended: not at all (the old files stand), whole, or with the database
// in place while a side file could not yet take its new state (the next start gives it).
enum class Commit { Failed, Done, SideFilesPending };

// The same write as one commit with the side files' new states (database/commit.h).
Commit write(const std::string& path, RecordTable& table, const std::vector<SideFileChange>& sides,
    std::string* error = nullptr);

// What the write tells of each record's line as it makes the file: the record's text as the table
// holds it then (its fields 1 … 2128 each followed by "|", its window of years marked, line breaks
// still in; nothing for a record never filled in, written as an empty line) and where its line
// ends in the new file, CR LF included.
using LineWatch = std::function<void(int row, std::string_view text, std::uint64_t end)>;

// What a write of a table leaves for the next write of it: the version of each row's record as
// written, where its line ended, and the states of the SHA-256 of the bytes. The next write's
// SHA-256 then starts from the last state before the first record changed since.
struct WriteMemory
{
    std::vector<std::uint64_t> versions;
    std::vector<std::uint64_t> ends;
    StreamHash::States hashStates;
};

struct WriteWatch
{
    LineWatch lines;
    WriteMemory* memory = nullptr; // taken, and replaced once the database is in place
};
Commit write(const std::string& path, RecordTable& table, const std::vector<SideFileChange>& sides,
    std::string* error, const WriteWatch& watch);

// The same, the temporary file named with `temporarySuffix` after the destination's name: a copy
// the user names (a backup) then cannot take a file of the user's for its own temporary one.
bool writeCopy(const std::string& path, RecordTable& table, std::string_view temporarySuffix,
    std::string* error = nullptr);

// Whether the file at the path (through links) exists and may not be written: no write
// permission for anyone in its mode, or none for this user.
bool isWriteProtected(const std::string& path);

// Removes the temporary file that a write killed half-way left beside the database. Only the
// one program that holds the database may call it. True when there was one.
bool removeStaleTemporary(const std::string& path);

// A new file holding one record with every field empty but field 2128, which names the years the
// database holds; the table becomes that one record.
bool create(
    const std::string& path, RecordTable& table, fields::YearWindow years = {}, std::string* error = nullptr);

// The years a database made today holds: 2020 … 2027 until 2027, later the eight years up to this
// one, as if the carry-over had opened each new year since.
fields::YearWindow yearsForNewDatabase(int thisYear);

// Copies a file over another in the same manner as write(): the destination is either the old
// file or a complete copy.
bool copyFile(const std::string& source, const std::string& destination, std::string* error = nullptr);
// The same copy as one commit with the side files' new states.
Commit copyFile(const std::string& source, const std::string& destination,
    const std::vector<SideFileChange>& sides, std::string* error = nullptr);

// A whole file read in one go, as the import reads a bank statement and its journal. A file larger
// than `maxBytes` is refused from its size, before it is read; only regular files are read.
struct FileBytes
{
    enum class Status { Read, NotFound, TooLarge, Failed };
    Status status = Status::Failed;
    std::string bytes;
};
FileBytes readFile(const std::string& path, std::size_t maxBytes);

// Replaces a file of the program's own (the import journal) with these bytes in the same manner
// as write(): whatever happens, the file is either the old one or the new one whole.
bool writeFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// A field's text as the file can hold it: every line break removed (a CR with the LF after it,
// and any lone CR or LF).
std::string withoutLineBreaks(std::string_view text);

} // namespace database
