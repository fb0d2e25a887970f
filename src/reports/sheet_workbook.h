#pragma once

// The yearly sheet on screen saved as a new workbook: A1:R15 with the title, the column headings,
// the twelve months' dates and the numbers of the last calculation. The sheet, the record table
// and the database file are not touched.

class AppState;
struct ShownSheet;

// Asks for a file name (proposing "Учет эл. энергии  <name> <year>.xlsx") and saves the sheet.
// True when a workbook was saved; a cancelled dialog saves nothing.
bool exportSheetWorkbook(AppState& state, const ShownSheet& shown);
