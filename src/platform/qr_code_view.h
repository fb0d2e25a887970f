#pragma once

// A QR code on a window or a page: dark modules on white with the quiet zone of four modules that a
// scanner needs around the code. The printout draws the same rectangles (see paintWindow), so paper
// and screen never differ.

#include "platform/qr_code.h"

#include <QRectF>
#include <QWidget>
#include <optional>
#include <vector>

class QrCodeView : public QWidget
{
    Q_OBJECT
public:
    explicit QrCodeView(QWidget* parent = nullptr);

    // No code leaves the place blank.
    void setCode(std::optional<QrCode> code);
    const std::optional<QrCode>& code() const { return m_code; }

    // The dark runs as rectangles in the widget's coordinates: the largest code with its quiet zone
    // that fits the widget, in its middle.
    std::vector<QRectF> darkRects() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The runs with modules of that many widget pixels a side, the code and its zone in the middle.
    std::vector<QRectF> rectsWithModule(double module) const;
    double fittingModule() const;

    std::optional<QrCode> m_code;
};
