#pragma once

// The subscriber directory's work on the record table: the five directory fields of a subscriber,
// deleting a subscriber with everything the record holds, adding new ones at the end, and finding
// names whatever their letter case.

#include "database/record_table.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace directory {

// Full name, address, telephone, meter type and note: fields 2 … 6, in the order of the boxes of
// the add and edit dialogs.
constexpr int EntryFieldCount = 5;
using Entry = std::array<std::string, EntryFieldCount>;

Entry entry(const RecordTable& table, int row);
// Fields 2 … 6 of the row take the texts as typed.
void storeEntry(RecordTable& table, int row, const Entry& texts);

// A full name takes at most this many characters when it is typed or imported. Names stored
// longer by earlier versions stay as they are until someone changes them.
constexpr int NameLimit = 200;
// Characters (not bytes) of UTF-8 text.
int characterCount(std::string_view utf8);
// The text's first `limit` characters.
std::string firstCharacters(std::string_view utf8, int limit);

// Whether field 2 of one of the records 1 … lastRow is exactly the name (letter case counts).
bool nameExists(const RecordTable& table, std::string_view name, int lastRow);

// The first subscriber is never deleted, nor the only one.
bool canDelete(const RecordTable& table, int row);
// Removes the record: every later record moves up one row with all of its fields (directory,
// yearly sheets and ledger) and is numbered after its new row, the old last row is emptied so
// that nothing of the moved records stays behind the end, and the count drops by one. False, and
// nothing changed, when canDelete says no.
bool deleteRecord(RecordTable& table, int row);

// Additions of one opening of the add dialog are written behind the last record and counted in
// only once confirmed. The pending count is how many were written so far in that opening.
bool hasRoomForAnother(const RecordTable& table, int pending);
// Writes the next new subscriber into row recordCount + pending + 1: its number, the five texts,
// every other field empty (the row may hold what a deletion or an unconfirmed addition left).
// Returns the row, or 0 when the table has no room for it (then nothing is written).
int writePendingRecord(RecordTable& table, int pending, const Entry& texts);
// The pending rows become part of the directory.
void confirmAdditions(RecordTable& table, int pending);

// The text in lower case as the find compares names: every capital letter that the database can
// hold (Latin, Russian with Ё, and the other Cyrillic letters of Windows-1251) becomes its small
// letter; everything else stays as it is.
std::string lowerCase(std::string_view utf8);

struct FindResult
{
    std::vector<int> rows; // matching records, in row order
    int count() const { return int(rows.size()); }
    int firstRow() const { return rows.empty() ? 0 : rows.front(); }
};

// Records 1 … recordCount whose full name, in lower case, contains the lowered text. An empty text
// matches nothing.
FindResult findNames(const RecordTable& table, std::string_view loweredText);

} // namespace directory
