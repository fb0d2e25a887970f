#pragma once

// The yearly sheet on paper: the main window in its print look (white cells, no buttons, no
// colour bands) on one landscape page, then back to its normal look.

#include <QSize>

class AppState;
class QMainWindow;
class QString;
class SheetView;

// The main window's size while printing; it keeps that size afterwards.
inline constexpr QSize SheetPrintSize(1014, 602);

void printSheet(
    AppState& state, QMainWindow& window, SheetView& sheet, const QString& subscriber, const QString& year);
