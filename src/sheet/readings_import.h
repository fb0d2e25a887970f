#pragma once

// Readings of a month brought in from outside: a list from the electrician's round, a workbook
// from a web form, messages pasted from the clipboard ("уч. 12 — 10432"). The texts are read into
// rows of cells, the columns are found by their headings, every row's key is matched to a
// subscriber as a bank payment is, and its reading is checked before anything reaches the table.

#include "database/record_table.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace readings {

// A month's list for 3000 subscribers is well under a megabyte; a file beyond this is not one.
constexpr std::size_t MaxFileBytes = 8u << 20;
// No key and reading take this many bytes: a longer line is refused on its own, unread.
constexpr std::size_t MaxLineBytes = 4096;
// A reading has at most this many digits before the decimal comma (the meters' and the sheet's).
constexpr int MaxReadingDigits = 9;

// The rows of a file or of pasted text, cells in UTF-8.
struct Source
{
    struct Row
    {
        int line = 0; // the file's line or the sheet's row, from 1
        std::vector<std::string> cells;
        std::string problem; // the row was refused as read (a line too long)
    };
    std::vector<Row> rows;
    std::string encoding; // "UTF-8", "Windows-1251", or "" for a workbook
    char separator = 0; // ';', ',', '\t', or 0 for lines of free text
};

struct ReadResult
{
    bool refused = false;
    std::string problem; // why the file was refused, as the user reads it
    Source source;
};

// CSV or text bytes: UTF-8 when they are valid UTF-8 (a byte-order mark dropped), Windows-1251
// otherwise; the separator is the one the lines agree on. Empty and binary files are refused.
ReadResult readText(std::string_view bytes);
// The cells of a worksheet, rows from 1: blank rows are left out.
Source fromCells(std::vector<std::vector<std::string>> rows);

// Which cell of a row holds what; -1 for none. A row of free text has only the key column 0, and
// its reading and date are taken from its words.
struct Columns
{
    int number = -1; // л/с, участок, №
    int name = -1; // surname and initials
    int reading = -1;
    int date = -1;
    int headingRow = -1; // index into Source::rows of the headings, -1 when there are none
    bool freeText = false;
};
Columns findColumns(const Source& source);
// The widest row's cell count: the columns the user may choose from.
int columnCount(const Source& source);

enum class Outcome {
    Matched,
    Ambiguous, // several subscribers fit
    Unmatched, // none fits
    Refused, // the reading, the date or the line itself cannot be taken
};

struct Line
{
    int line = 0;
    std::string key; // what named the subscriber, shortened for showing
    std::string given; // the reading as written
    std::string reading; // the reading as the sheet stores it
    std::string date; // "31.01.26", or "" when the line gives none
    int record = 0;
    Outcome outcome = Outcome::Unmatched;
    std::string note; // how the subscriber was found, or why the line is not taken
    std::string current; // the month's reading it would replace
    std::string remark; // the readings check's remark on the new reading
    bool replaces = false; // it would replace a different reading already typed
    bool checked = false; // taken unless the user says otherwise
};

// Every row below the headings, matched and checked against the table's month (1 … 12).
std::vector<Line> matchLines(
    const RecordTable& table, const Source& source, const Columns& columns, int year, int month);

// "Строк: 40, найдено: 37, неоднозначно: 1, не найдено: 2, с ошибкой: 0".
std::string summary(const std::vector<Line>& lines);

} // namespace readings
