#pragma once

// "Показания за месяц": one month's readings of every subscriber, as the window shows and stores
// them. Each row is read from the record's own month block; what is typed goes into the record as
// the yearly sheet would put it there, and the month charges are worked out by the sheet's own
// calculation.

#include "database/record_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace readings {

// The partnership's own street lighting is kept as a subscriber; nobody reads it on the round.
bool isStreetLighting(const RecordTable& table, int record);

// What a row shows of one record's month.
struct RowView
{
    std::string date;
    // The stored "Последнее", or when that is empty what the sheet's autofill would put there.
    std::string previous;
    bool previousFilledIn = false; // `previous` is the autofill's, not stored yet
    std::string current;
    std::string consumption; // "Разница", as the sheet shows it
    std::string energy; // energy to pay, kWh, as the sheet shows it
    std::string remark; // what the readings check says of the month; empty when nothing
};

// The previous month's "Текущее" (December of the year before for January, when the file holds
// it): what the sheet's autofill carries into an empty "Последнее".
std::string autofillPrevious(const RecordTable& table, int record, int year, int month);

// The row of record `record` for month 1 … 12 of the year; empty when the table does not hold it.
RowView viewRow(const RecordTable& table, int record, int year, int month);

// The date and current reading typed for the month into the record, with the separators right (a
// comma in the reading, full stops in the date) and nothing the file cannot keep. An empty
// "Последнее" takes the autofill when a reading is typed. Every month's charge is worked out
// again. False, and nothing written, for a year the table does not hold.
bool storeRow(
    RecordTable& table, int record, int year, int month, std::string_view date, std::string_view current);

// The remark of the readings check for the month, from what the table holds: a reading below the
// previous one, a reading without a previous one, a sharp rise. Several are joined by "; ".
std::string remarkOf(const RecordTable& table, int record, int year, int month);

// The last day of the month as the sheet's month-end dates write it: "31.07.26".
std::string monthEndDate(int year, int month);

} // namespace readings
