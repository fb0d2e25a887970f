#pragma once

// A report as the check, the debtors list and the month's summary show it, print it and save it
// as a workbook: a title, a line saying what it covers, a few lines of notes, the column headings,
// the rows and a totals row. Every cell is the text the window shows; the columns of numbers say
// so, and a workbook then holds them as numbers.

#include <string>
#include <vector>

namespace reports {

enum class ColumnKind {
    Text,
    Number, // kWh, counts: shown as they are
    Money, // roubles with two decimals
};

struct ReportColumn
{
    std::string heading;
    ColumnKind kind = ColumnKind::Text;
    int twips = 1200; // the column's share of the paper's width
};

struct ReportTable
{
    std::string title;
    std::string subtitle;
    std::vector<std::string> notes;
    std::vector<ReportColumn> columns;
    std::vector<std::vector<std::string>> rows; // as many cells as columns
    // For a report whose rows hold different things (kWh in one, roubles in the next): what the
    // columns of numbers hold in each row. Empty: the columns say.
    std::vector<ColumnKind> rowKinds;
    std::vector<std::string> totals; // empty: no totals row
};

} // namespace reports
