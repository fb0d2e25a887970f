#include "platform/qr_code_view.h"

#include <QPainter>
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

QRectF QrCodeView::squareWithModule(double module) const
{
    if (!m_code || m_code->size == 0 || module <= 0)
        return {};
    const double side = module * m_code->size;
    double left = (width() - side) / 2;
    double top = (height() - side) / 2;
    if (module == std::floor(module)) { // whole pixels: no module edge halfway through a pixel
        left = std::floor(left);
        top = std::floor(top);
    }
    return QRectF(left, top, side, side);
}

QRectF QrCodeView::codeRect() const
{
    if (!m_code || m_code->size == 0)
        return {};
    return squareWithModule(qMin(width(), height()) / double(m_code->size + 2 * QuietZone));
}

std::vector<QRectF> QrCodeView::darkRects() const
{
    std::vector<QRectF> rects;
    const QRectF square = codeRect();
    if (square.isEmpty())
        return rects;
    const double module = square.width() / m_code->size;
    for (const QrRun& run : darkRuns(*m_code))
        rects.emplace_back(square.left() + run.column * module, square.top() + run.row * module,
            run.length * module, module);
    return rects;
}

void QrCodeView::paintModules(QPainter& painter, const QrCode& code, const QRectF& square)
{
    if (code.size == 0 || square.isEmpty())
        return;
    const std::vector<QrRect> cover = code.cover.empty() ? coverOfDarkModules(code) : std::vector<QrRect>();
    const std::vector<QrRect>& shapes = code.cover.empty() ? cover : code.cover;
    std::vector<QRectF> rects;
    rects.reserve(shapes.size());
    for (const QrRect& r : shapes)
        rects.emplace_back(r.column, r.row, r.width, r.height);
    painter.save();
    painter.translate(square.topLeft());
    painter.scale(square.width() / code.size, square.height() / code.size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    // One fill of all the rectangles: neighbouring rows meet without a seam of white between them, and
    // where two rectangles overlap the fill is as dark as anywhere else.
    painter.drawRects(rects.data(), int(rects.size()));
    painter.restore();
}

QSize QrCodeView::sizeHint() const
{
    return QSize(113, 113); // about 30 mm on paper
}

void QrCodeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_code || m_code->size == 0)
        return;
    // On screen a module is a whole number of pixels, so that its edges stay sharp; paper takes the
    // exact size (codeRect).
    const double module = qMin(width(), height()) / double(m_code->size + 2 * QuietZone);
    paintModules(painter, *m_code, squareWithModule(module >= 1 ? std::floor(module) : module));
}
