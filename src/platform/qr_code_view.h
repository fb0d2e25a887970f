#pragma once

// A QR code on a window or a page: dark modules on white with the quiet zone of four modules that a
// scanner needs around the code. The printout draws the same rectangles (see paintWindow), so paper
// and screen never differ.

#include "platform/qr_code.h"

#include <QRectF>
#include <QWidget>
#include <optional>
#include <vector>

class QPainter;

class QrCodeView : public QWidget
{
    Q_OBJECT
public:
    explicit QrCodeView(QWidget* parent = nullptr);

    // No code leaves the place blank.
    void setCode(std::optional<QrCode> code);
    const std::optional<QrCode>& code() const { return m_code; }

    // The modules' square, without the quiet zone, in the widget's coordinates: the largest code with
    // its zone that fits the widget, in its middle. Empty without a code.
    QRectF codeRect() const;
    // The dark runs as rectangles in the widget's coordinates.
    std::vector<QRectF> darkRects() const;

    // Draws the code's dark modules into `square` (the modules without the quiet zone) as one fill of
    // its cover of rectangles in whole module units: a PDF then keeps a few bytes a rectangle.
    static void paintModules(QPainter& painter, const QrCode& code, const QRectF& square);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF squareWithModule(double module) const;

    std::optional<QrCode> m_code;
};
