#include "platform/wrapped_text.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int WrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Enough for the details of a few payees in a few sizes; a printout of thousands of receipts meets as
// many purposes, which are forgotten all together when this many paragraphs are remembered.
constexpr int MostParagraphs = 256;

} // namespace

const std::vector<double>& WrappedTextHeights::linesOf(const QFont& font, int width, const QString& paragraph)
{
    if (const auto found = m_paragraphs.find(paragraph); found != m_paragraphs.end()) {
        for (const Lines& l : found->second) {
            if (l.width == width && l.font == font && l.font.resolveMask() == font.resolveMask())
                return l.heights;
        }
    }
    if (m_count >= MostParagraphs) {
        m_paragraphs.clear();
        m_count = 0;
    }
    // As QFontMetrics::boundingRect lays the whole text out (Qt's qt_format_text): left to right,
    // aligned left, broken at the box's width.
    QTextLayout layout(paragraph, font);
    QTextOption option = layout.textOption();
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    layout.setTextOption(option);
    Lines lines{ font, width, {} };
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        // After a closing separator the layout starts a line of its own that the whole text does not
        // have: the next paragraph's first line is there.
        if (line.textStart() >= paragraph.size())
            break;
        // Multiples of 1/64 of a pixel, added up exactly as the text's own layout adds them.
        lines.heights.push_back(
            line.ascent() + line.descent() + (line.leadingIncluded() ? std::max(0.0, line.leading()) : 0.0));
    }
    layout.endLayout();
    ++m_count;
    return m_paragraphs[paragraph].emplace_back(std::move(lines)).heights;
}

int WrappedTextHeights::height(const QFont& font, int width, const QString& text)
{
    // Empty lines, tabs, returns and texts of several length variants are measured as a whole.
    const bool plain = !text.isEmpty() && !text.endsWith(u'\n') && !text.contains(QStringLiteral("\n\n"))
        && std::none_of(text.begin(), text.end(), [](QChar c) {
               return c == u'\t' || c == u'\r' || c == QChar(0x9c) || c == QChar::LineSeparator;
           });
    if (!plain || width <= 0)
        return QFontMetrics(font).boundingRect(QRect(0, 0, width, 1 << 24), WrapFlags, text).height();

    // The whole text's lines are those of its paragraphs, each paragraph but the last ending in the line
    // separator that a line break becomes; they are placed one below the other on whole pixels with the
    // font's leading between them.
    const double leading = QFontMetricsF(font).leading();
    double height = -leading;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        QString paragraph = text.mid(start, end - start);
        if (!last)
            paragraph += QChar::LineSeparator;
        for (const double line : linesOf(font, width, paragraph)) {
            height = std::ceil(height + leading);
            height += line;
        }
        start = end + 1;
    }
    return int(std::ceil(height));
}
