#include "platform/qr_code_view.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

constexpr int QuietZone = 4; // modules of white on each side

} // namespace

QrCodeView::QrCodeView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QrCode"));
}

void QrCodeView::setCode(std::optional<QrCode> code)
{
    m_code = std::move(code);
    update();
}

double QrCodeView::fittingModule() const
{
    if (!m_code || m_code->size == 0)
        return 0;
    return qMin(width(), height()) / double(m_code->size + 2 * QuietZone);
}

std::vector<QRectF> QrCodeView::rectsWithModule(double module) const
{
    std::vector<QRectF> rects;
    if (!m_code || module <= 0)
        return rects;
    const double side = module * (m_code->size + 2 * QuietZone);
    double left = (width() - side) / 2 + QuietZone * module;
    double top = (height() - side) / 2 + QuietZone * module;
    if (module == std::floor(module)) { // whole pixels: no module edge halfway through a pixel
        left = std::floor(left);
        top = std::floor(top);
    }
    for (const QrRun& run : darkRuns(*m_code))
        rects.emplace_back(left + run.column * module, top + run.row * module, run.length * module, module);
    return rects;
}

std::vector<QRectF> QrCodeView::darkRects() const
{
    return rectsWithModule(fittingModule());
}

QSize QrCodeView::sizeHint() const
{
    return QSize(113, 113); // about 30 mm on paper
}

void QrCodeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // On screen a module is a whole number of pixels, so that its edges stay sharp; paper takes the
    // exact size (darkRects).
    const double module = fittingModule();
    const std::vector<QRectF> rects = rectsWithModule(module >= 1 ? std::floor(module) : module);
    // One filled shape: neighbouring rows meet without a seam of white between them.
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF& r : rects)
        path.addRect(r);
    painter.fillPath(path, Qt::black);
}
