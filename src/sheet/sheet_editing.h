#pragma once

// What editing the sheet does to its texts, apart from the window: the separators a cell takes,
// the copy tools that act when a cell is left, the quick copy of a cell to every subscriber, and
// the month-end dates and street-lighting hours of the "Инструменты" menu.

#include "database/record_table.h"
#include "sheet/sheet.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// A text the program puts into a typed cell (month 1 … 12, element 0 … 8).
struct CellEdit
{
    int month;
    int element;
    std::string text;

    friend bool operator==(const CellEdit&, const CellEdit&) = default;
};

// The date takes a full stop ("31.01.26"), every number a comma ("1,8"): the other one, typed by
// habit or on a keypad, is replaced wherever it stands.
char wrongSeparator(int element);
std::string withRightSeparators(int element, std::string_view text);

// The copy-tool check boxes Ch1 … Ch4.
struct CopyTools
{
    bool autofillPrevious = false; // Ch1: a month's "Текущее" becomes the next month's "Последнее"
    bool power = false; // Ch2: January's street-lighting power to the later months
    bool losses = false; // Ch3: January's losses percentage
    bool tariff = false; // Ch4: January's tariff
};

// The texts the switched-on copy tools put into the sheet when element b of month m is left. Only
// empty cells are filled: a value the user has typed is never overwritten. December has no
// autofill: the next January lives in the next year's block.
std::vector<CellEdit> copiesOnLeaving(const SheetTexts& texts, int m, int b, const CopyTools& tools);

// The quick copy takes the date, the losses, the tariff and the network service.
bool isQuickCopyElement(int b);

// Element b of month m of the year into every record 1 … recordCount, the record table only.
// False, and nothing written, when the table does not hold the year.
bool fineCopy(RecordTable& table, std::string_view yearText, int m, int b, std::string_view value);

// The last day of every month in the date cells: "31.01.26", "28.02.26" … (29 February in a leap
// year by the Gregorian rule: 2028 has one, 2100 none).
std::vector<CellEdit> monthEndDates(int year);
// The usual street-lighting hours per day (element 4) and the days of every month (element 5).
std::vector<CellEdit> lightingHoursAndDays(int year);
// Empty hours and days cells of every month.
std::vector<CellEdit> lightingCleared();

// Whether any month holds a text in one of these elements.
bool anyFilled(const SheetTexts& texts, std::initializer_list<int> elements);

} // namespace sheet
