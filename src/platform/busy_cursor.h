#pragma once

// The wait cursor over work the user waits for (reading a workbook or a bank statement, matching
// its rows), for as long as this lives. Keep it off the message boxes: end it before asking.

#include <QApplication>

class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
