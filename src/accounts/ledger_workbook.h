#pragma once

// The month's ledger saved as a new workbook: a three-row heading and one row per subscriber with
// the twelve values the record table holds for the month (what the last store of the ledger put
// there, not what is being typed).

#include <QString>

class AppState;

// Asks for a file name (proposing "Лицевой счет  <month> <year>.xlsx") and saves the ledger of
// that month. True when a workbook was saved; a cancelled dialog, or a year or month the ledger
// does not know, saves nothing.
bool exportLedgerWorkbook(AppState& state, const QString& yearText, const QString& monthName);
