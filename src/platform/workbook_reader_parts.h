#pragma once

// The parts of WorkbookReader, each in a file of its own: the .xlsx package read with libzip and
// pugixml, the legacy .xls read by FreeXL in a child process, and the texts that dates and times
// show. For the reader's own files; everyone else uses workbook_reader.h.

#include "platform/workbook_reader.h"

#include <string>
#include <string_view>
#include <vector>

namespace workbook::reading {

using Cells = std::vector<WorkbookReader::Cell>;

// The cells of the first worksheet of an .xlsx file's bytes, by row, then column; false with the
// reason when the file cannot be read.
bool readXlsx(std::string_view bytes, Cells& cells, std::string& failure);

// The same for a legacy .xls file, read in a child process.
bool readXls(const std::string& path, Cells& cells, std::string& failure);

// A date serial number as the program's Russian desktop shows a date value: "DD.MM.YYYY", with
// "H:MM:SS" after it when there is a time of day, the time alone for a time without a date.
std::string serialDateText(double serial, bool base1904);
// "2024-03-05", "2024-03-05T10:20:30" or "2024-03-05 10:20:30" as shown dates.
std::string isoDateText(std::string_view iso);
// "10:20:30" as a shown time.
std::string timeOnlyText(std::string_view hms);
// Whether a built-in number format, or a format code, shows dates or times.
bool isBuiltInDateFormat(int id);
bool isDateFormatCode(std::string_view code);

} // namespace workbook::reading
