#pragma once

// The directory's exchange with spreadsheet workbooks: the five directory fields of every
// subscriber saved to a new workbook, and replaced from the first worksheet of one.
//
// Workbook layout, shared by both: row 1 the headings "№", "Фамилия И. О.", "Адрес", "Телефон",
// "Тип счетчика", "Примечание"; from row 2 one subscriber per row, fields 1 … 6 in columns A … F.

class AppState;

// Asks for a file name (proposing "Справочник абонентов от <date and time>.xlsx") and saves every
// subscriber into it. True when a workbook was saved; a cancelled dialog saves nothing.
bool exportDirectoryWorkbook(AppState& state);

// After the question and the open dialog, reads the chosen workbook whole; then records 1 … c
// take their directory fields from sheet rows 2 … c + 1 (the rows down to the first empty A cell),
// record i getting the number i, and the directory holds c subscribers. Their yearly data stay
// in their rows. When column A does not number the rows 1, 2, 3 … in order (the export writes
// exactly that), the import asks once more before it changes anything. Characters the database
// cannot hold are left out and new names held to directory::NameLimit; the user is told how many
// cells that touched. The database file is written.
//
// True when the directory was replaced: the directory window must then refill its grid. False
// when nothing changed: the user said no or cancelled, the workbook had no data rows, or it could
// not be read (the user has been told why).
bool importDirectoryWorkbook(AppState& state);
