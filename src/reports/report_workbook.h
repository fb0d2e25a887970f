#pragma once

// A report saved as a new workbook: the title and what it covers at the top, the notes below
// them, then the column headings, the rows and the totals row, framed. The columns of kWh and
// money hold numbers (money with two decimals), so that the workbook can go on counting.

#include "reports/report_table.h"

#include <QString>

class AppState;

// Asks for a file name (proposing the given one with ".xlsx") and saves the report, set to print
// across the paper or along it as the report's printout does. True when a workbook was saved; a
// cancelled dialog saves nothing.
bool exportReportWorkbook(
    AppState& state, const reports::ReportTable& table, const QString& proposedName, bool landscape);
