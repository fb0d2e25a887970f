#include "accounts/grid_header.h"

#include <QPainter>

#include <algorithm>

TwoTierHeader::TwoTierHeader(std::vector<HeaderCaption> captions, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_captions(std::move(captions))
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(0);
}

int TwoTierHeader::upperHeight() const
{
    return 2 * fontMetrics().lineSpacing() + 6;
}

QSize TwoTierHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(upperHeight() + fontMetrics().lineSpacing() + 8);
    return size;
}

QRect TwoTierHeader::captionRect(const HeaderCaption& caption) const
{
    int left = -1;
    int right = -1;
    for (int c = caption.firstColumn; c <= caption.lastColumn && c < count(); ++c) {
        if (isSectionHidden(c) || sectionSize(c) == 0)
            continue;
        const int x = sectionViewportPosition(c);
        if (left < 0)
            left = x;
        right = x + sectionSize(c);
    }
    if (left < 0)
        return {};
    const int split = upperHeight();
    switch (caption.tier) {
    case HeaderCaption::Upper: return QRect(left, 0, right - left, split);
    case HeaderCaption::Lower: return QRect(left, split, right - left, height() - split);
    case HeaderCaption::Both: break;
    }
    return QRect(left, 0, right - left, height());
}

void TwoTierHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().button());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, height() - 1, viewport()->width(), height() - 1);
    for (const HeaderCaption& caption : m_captions) {
        const QRect area = captionRect(caption);
        if (area.isEmpty())
            continue;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(
            area.adjusted(4, 2, -4, -2), int(caption.alignment) | Qt::TextWordWrap, caption.text);
    }
}

int twipsToPixels(const QWidget* widget, int twips)
{
    // A 13-pixel line with digits 6 pixels wide, at 15 twips a pixel.
    const QFontMetrics metrics = widget->fontMetrics();
    const double byHeight = metrics.height() / (13.0 * 15.0);
    const double byDigits = metrics.horizontalAdvance(QStringLiteral("0000000000")) / (10.0 * 6.0 * 15.0);
    return qRound(twips * std::max(byHeight, byDigits));
}

int amountWidth(const QWidget* widget)
{
    return widget->fontMetrics().horizontalAdvance(QStringLiteral("-0000000,00")) + 12;
}
