#pragma once

// The database file "Tervolin2.spb": Windows-1251 text, one line per record ending in CR LF, each
// line the fields 1 … 2128 each followed by "|". Reading and writing are whole-file operations.

#include "database/record_table.h"

#include <string>

namespace database {

inline constexpr const char* FileName = "Tervolin2.spb";

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
// are trimmed of blanks, text after the 2128th separator is dropped. On any status but Loaded the
// table is left empty.
LoadResult load(const std::string& path, RecordTable& table);

// The same reading and line check, keeping nothing: a backup is checked with it before it may
// replace the database.
LoadResult check(const std::string& path);

// Writes records 1 … recordCount to the file. The new content goes to a temporary file in the same
// folder, which is flushed to disk and then renamed over the old file, so that a failure or a
// crash at any moment leaves either the old file or the new one. Line breaks inside fields are
// left out of the file and, once the file is written, out of the table too. On failure the file
// and the table are as they were and `error` says why.
bool write(const std::string& path, RecordTable& table, std::string* error = nullptr);

// A new file holding one record with every field empty; the table becomes that one record.
bool create(const std::string& path, RecordTable& table, std::string* error = nullptr);

// Copies a file over another in the same manner as write(): the destination is either the old
// file or a complete copy.
bool copyFile(const std::string& source, const std::string& destination, std::string* error = nullptr);

// A field's text as the file can hold it: every line break removed (a CR with the LF after it,
// and any lone CR or LF).
std::string withoutLineBreaks(std::string_view text);

} // namespace database
