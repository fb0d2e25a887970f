#pragma once

// Reading the database file, behind database::load and database::check (database_file.h).

#include "database/database_file.h"

#include <string>

namespace database {

// Reads the file at the path line by line. With a table, every line is taken into its record and
// the table is left empty on any status but Loaded; without one, only the lines are checked. A
// strict reading also refuses a line that holds a NUL byte.
LoadResult readDatabase(const std::string& path, RecordTable* table, bool strict);

} // namespace database
