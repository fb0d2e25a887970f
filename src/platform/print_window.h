#pragma once

// Printing what a window shows: its texts, rules, boxes and grids are drawn on the page as vector
// text and lines at the places the window has them, so that the paper is sharp at any resolution.
// Windows switch to their print look before and back after; printing itself changes nothing on
// screen.

#include "platform/printer.h"
#include "platform/qr_code.h"

#include <QRectF>
#include <QTransform>
#include <vector>

class QPainter;
class QWidget;
class RepeatedTexts;

// The QR codes of a page, drawn after everything else on it. A PDF writer compresses each page as a
// whole, and a code's thousand small squares among the page's texts make both slower to compress and
// larger; drawn last and one after the other, the codes of a page compress among themselves (two
// copies of the same code cost little more than one). Nothing else is drawn over a code's square, so
// the page looks the same.
class PageCodes
{
public:
    // Draws the codes kept so far, in the order they came, and forgets them.
    void paint(QPainter& painter);
    bool isEmpty() const { return m_codes.empty(); }

    // The code's modules into `square`, under the painter's transformation of the moment.
    void add(const QPainter& painter, const QrCode& code, const QRectF& square);

private:
    struct Code
    {
        QTransform transform;
        QrCode code;
        QRectF square;
    };
    std::vector<Code> m_codes;
};

// What the window (for a main window: its central area) shows, on the paper: one window pixel is
// one 96th of an inch, so a window laid out in twips comes out at the size it was designed for.
// A window larger than the paper is scaled down to fit; contents never come closer to an edge
// than a quarter inch. The window's QR codes come last (see PageCodes): into `codesLater` when given,
// for the caller to draw when the rest of the page is done, at the end of this drawing otherwise. A
// printout that draws the same window page after page passes `texts` to keep the layouts of the texts
// that come back (see RepeatedTexts).
void paintWindow(QPainter& painter, const QRectF& paper, QWidget* window, PageCodes* codesLater = nullptr,
    RepeatedTexts* texts = nullptr);
