#pragma once

// Moving the database's years on: before the oldest year leaves the file, the file as it stands,
// with its side files, is kept whole in an archive beside it, an ordinary database of those eight
// years that every copy of the program opens.

#include "database/record_table.h"

#include <string>
#include <vector>

namespace database {

// "Tervolin2 архив 2020-2027.spb" for the years 2020 … 2027.
std::string archiveFileName(const fields::YearWindow& years);

// A file kept beside a database: "Tervolin2.bank" beside "Tervolin2.spb"; beside any other database
// file (an archive, a backup) the database's own name with the side file's extension after it:
// "Tervolin2 архив 2020-2027.spb.bank". A database reached through a symbolic link keeps them
// beside the file the link leads to.
std::string sideFilePath(const std::string& databasePath, const std::string& sideFileName);

struct ArchiveResult
{
    bool archived = false;
    std::string path; // the archive's database file
    bool reused = false; // an archive of this name held exactly these files already
    std::string error; // when not archived
};

// Copies the database file as it is on disk, byte for byte, to an archive named for the years
// beside it, and each side file that exists (named as sideFilePath() names them, "Tervolin2.bank"
// and so on) beside that. Each copy is written through a temporary file, read back and compared.
// An archive of that name holding other files is never written over: " (2)", " (3)" … follow the
// name; one holding these very files is taken as it is, so a repeat after a failure makes no
// second archive.
ArchiveResult archiveDatabase(const std::string& databasePath, const fields::YearWindow& years,
    const std::vector<std::string>& sideFiles);

// What dropFirstYear() took out of the table, to put back when the database cannot be written.
struct DroppedYear
{
    fields::YearWindow years; // the window before
    std::vector<std::string> records; // per record, the year's fields in order, each followed by "|"
};

// Empties the twelve months of the window's first year in every record (the month fields of its
// block, December's seven in the next block's head included; the directory fields are never
// touched) and moves the window on: the block is the new last year's, empty.
DroppedYear dropFirstYear(RecordTable& table);
// The table as it was before dropFirstYear(), whatever went into the block since.
void restoreFirstYear(RecordTable& table, const DroppedYear& dropped);

} // namespace database
