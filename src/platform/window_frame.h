#pragma once

// The title bar and borders that the window manager draws around the program's windows, for
// windows that must fit the screen frame and all.

#include <QSize>

class QWidget;

// The room the frame takes, across and down: as drawn around the window once it is shown, before
// that as around another window of the program already on the screen (the one that opens it), and
// a usual title bar when there is none.
QSize windowFrameSize(const QWidget* window);
