#pragma once

// The yearly sheet on paper: the main window in its print look (white cells without frames, no
// buttons, no colour bands, no focus colour) on one landscape page, then back as it was.

#include <QSize>

class AppState;
class QMainWindow;
class QString;
class SheetView;

// The main window's size while printing, so that the page always has the same layout; the window
// has its own size again afterwards.
inline constexpr QSize SheetPrintSize(1014, 602);

void printSheet(
    AppState& state, QMainWindow& window, SheetView& sheet, const QString& subscriber, const QString& year);
