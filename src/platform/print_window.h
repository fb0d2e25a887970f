#pragma once

// Printing what a window shows: its texts, rules, boxes and grids are drawn on the page as vector
// text and lines at the places the window has them, so that the paper is sharp at any resolution.
// Windows switch to their print look before and back after; printing itself changes nothing on
// screen.

#include "platform/printer.h"

class QPainter;
class QRectF;
class QWidget;

// What the window (for a main window: its central area) shows, on the paper: one window pixel is
// one 96th of an inch, so a window laid out in twips comes out at the size it was designed for.
// A window larger than the paper is scaled down to fit; contents never come closer to an edge
// than a quarter inch.
void paintWindow(QPainter& painter, const QRectF& paper, QWidget* window);
