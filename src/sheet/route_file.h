#pragma once

// The round's order ("Порядок обхода"): the order in which the user walks the plots. It is kept
// beside the database as "Tervolin2.route", one record per line, "<number>\t<full name>" in
// Windows-1251 with CR LF. The name guards the number: records are renumbered when one is
// deleted, so a line whose number no longer carries its name is found again by the name.

#include "database/record_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace route {

inline constexpr const char* FileName = "Tervolin2.route";

std::string filePath(const std::string& databasePath);

// The records in their own order, the street lighting left out.
std::vector<int> recordOrder(const RecordTable& table);

// The order the file's bytes give, against the table as it is now: a line's record is its number
// when that record still carries the name, else the first record of that name not yet listed;
// lines of a name no record carries are dropped, and so are repeats. Records the file does not
// list (added since) go last in their own order.
std::vector<int> parse(std::string_view bytes, const RecordTable& table);

std::string bytes(const std::vector<int>& order, const RecordTable& table);

// The order as it stands in the file beside the database; record order when there is none or it
// cannot be read.
std::vector<int> read(const std::string& databasePath, const RecordTable& table);

// Moves the entry at `index` one place up (delta −1) or down (+1); false at either end.
bool move(std::vector<int>& order, int index, int delta);

} // namespace route
