#include "platform/repeated_texts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

// What a kept layout draws alike each time: a text aligned left or centred, at the top, bottom or middle
// of its box, on one line or wrapped, never clipped. (Right-aligned texts are mostly amounts that differ
// from receipt to receipt.)
constexpr int Handled = Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignAbsolute | Qt::AlignTop | Qt::AlignBottom
    | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextDontClip;

// A printout of thousands of pages meets thousands of texts that never come back (names, readings):
// when this many are remembered they are all forgotten, and the captions laid out again.
constexpr int MostEntries = 4096;

// The width drawText lays a text out in: the box's for wrapped text, unbounded otherwise.
constexpr double Unbounded = 0x01000000;

bool handled(const QPainter& painter, int flags, const QString& text)
{
    if ((flags & ~Handled) != 0 || !(flags & Qt::TextDontClip) || text.isEmpty())
        return false;
    // Right to left, drawText swaps left and right.
    if (painter.layoutDirection() == Qt::RightToLeft || painter.pen().style() == Qt::NoPen)
        return false;
    const QFont& font = painter.font();
    if (font.underline() || font.overline() || font.strikeOut())
        return false;
    // Tabs, returns and texts of several length variants are set apart by drawText.
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\r' || c == QChar(0x9c))
            return false;
    }
    return true;
}

} // namespace

struct RepeatedTexts::Entry
{
    QFont font;
    int dpi = 0;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    double lineWidth = 0;
    bool seen = false; // met before
    Laid laid; // kept from the second time on
};

RepeatedTexts::RepeatedTexts() = default;
RepeatedTexts::~RepeatedTexts() = default;

RepeatedTexts::Entry& RepeatedTexts::entry(
    const QPainter& painter, double lineWidth, const QString& paragraph)
{
    const QFont& font = painter.font();
    const int dpi = painter.device()->logicalDpiY();
    const Qt::LayoutDirection direction = painter.layoutDirection();
    if (const auto found = m_entries.find(paragraph); found != m_entries.end()) {
        for (const std::unique_ptr<Entry>& e : found->second) {
            if (e->lineWidth == lineWidth && e->dpi == dpi && e->direction == direction && e->font == font
                && e->font.resolveMask() == font.resolveMask())
                return *e;
        }
    }
    auto made = std::make_unique<Entry>();
    made->font = font;
    made->dpi = dpi;
    made->direction = direction;
    made->lineWidth = lineWidth;
    ++m_entryCount;
    return *m_entries[paragraph].emplace_back(std::move(made));
}

// The paragraph's lines as drawText breaks them (Qt's qt_format_text lays the whole text out at once,
// with each line break made a line separator; a separator ends a line, so each paragraph breaks into the
// same lines on its own). The lines are placed when drawn.
RepeatedTexts::Laid RepeatedTexts::layOut(const Entry& e, const QString& paragraph)
{
    Laid laid;
    laid.layout = std::make_unique<QTextLayout>(paragraph, e.font);
    QTextOption option = laid.layout->textOption();
    option.setTextDirection(e.direction);
    option.setAlignment(Qt::AlignLeft); // the box's alignment is applied when drawn
    laid.layout->setTextOption(option);
    laid.layout->setCacheEnabled(true);
    laid.layout->beginLayout();
    for (QTextLine line = laid.layout->createLine(); line.isValid(); line = laid.layout->createLine()) {
        // After a closing separator the layout starts a line of its own that the whole text does not
        // have: the next paragraph's first line is there.
        if (line.textStart() >= paragraph.size())
            break;
        line.setLineWidth(e.lineWidth);
        line.setPosition(QPointF(0, 0));
        // The line's height before rounding, as drawText adds it up: multiples of 1/64, exact in a double.
        laid.heights.push_back(
            line.ascent() + line.descent() + (line.leadingIncluded() ? std::max(0.0, line.leading()) : 0.0));
    }
    laid.layout->endLayout();
    return laid;
}

void RepeatedTexts::draw(QPainter& painter, const QRectF& rect, int flags, const QString& text)
{
    const QStringList pieces = text.split(u'\n');
    // An empty line is left to drawText.
    if (!handled(painter, flags, text)
        || std::any_of(pieces.begin(), pieces.end(), [](const QString& p) { return p.isEmpty(); })) {
        painter.drawText(rect, flags, text);
        return;
    }
    const double lineWidth = (flags & Qt::TextWordWrap) ? std::max(0.0, rect.width()) : Unbounded;
    if (m_entryCount >= MostEntries) {
        m_entries.clear();
        m_entryCount = 0;
        m_layoutCount = 0;
    }
    std::vector<QString> paragraphs;
    std::vector<Entry*> entries;
    bool comesBack = false;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        paragraphs.push_back(i + 1 < pieces.size() ? pieces[i] + QChar::LineSeparator : pieces[i]);
        entries.push_back(&entry(painter, lineWidth, paragraphs.back()));
        comesBack = comesBack || entries.back()->seen;
    }
    if (!comesBack) {
        for (Entry* e : entries)
            e->seen = true;
        painter.drawText(rect, flags, text);
        return;
    }
    // Some of it was met before: drawn from the layouts, those met for the first time laid out for this
    // once only.
    std::vector<Laid> once;
    std::vector<const Laid*> laid;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& e = *entries[i];
        if (!e.laid.layout && e.seen) {
            e.laid = layOut(e, paragraphs[i]);
            ++m_layoutCount;
        } else if (!e.laid.layout) {
            e.seen = true;
            once.push_back(layOut(e, paragraphs[i]));
        }
    }
    for (std::size_t i = 0, next = 0; i < entries.size(); ++i)
        laid.push_back(entries[i]->laid.layout ? &entries[i]->laid : &once[next++]);

    // Each line on a whole pixel below the one before, the font's leading between them.
    const double leading = QFontMetricsF(painter.font()).leading();
    std::vector<double> tops;
    double height = -leading;
    for (const Laid* l : laid) {
        for (const double lineHeight : l->heights) {
            height = std::ceil(height + leading);
            tops.push_back(height);
            height += lineHeight;
        }
    }
    double top = 0;
    if (flags & Qt::AlignBottom)
        top = rect.height() - height;
    else if (flags & Qt::AlignVCenter)
        top = (rect.height() - height) / 2;
    std::size_t n = 0;
    for (const Laid* l : laid) {
        for (std::size_t i = 0; i < l->heights.size(); ++i) {
            const QTextLine line = l->layout->lineAt(int(i));
            const double left
                = (flags & Qt::AlignHCenter) ? (rect.width() - line.horizontalAdvance()) / 2 : 0;
            line.draw(&painter, QPointF(rect.x() + left, rect.y() + top + tops[n++]));
        }
    }
}
