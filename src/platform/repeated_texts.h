#pragma once

// The texts that come back on page after page of a long printout (a receipt's captions on each of
// thousands of receipts), laid out once. Shaping a text into glyphs and breaking it into lines is most
// of what drawing it costs; the same text in the same font and the same kind of box comes out the same
// every time, so it is laid out the second time it is met and drawn from that layout from then on. A
// text of several lines is kept line by line (up to each line break), so that the payee's details,
// the same on every receipt above a purpose that is not, are laid out once too.

#include <QFont>
#include <QHashFunctions>
#include <QString>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;
class QRectF;
class QTextLayout;

class RepeatedTexts
{
public:
    RepeatedTexts();
    ~RepeatedTexts();
    RepeatedTexts(const RepeatedTexts&) = delete;
    RepeatedTexts& operator=(const RepeatedTexts&) = delete;

    // Draws as painter.drawText(rect, flags, text) does, in the painter's font and pen, the same on
    // paper to the last glyph. Texts aligned right, clipped, with tabs or mnemonics, or right to left
    // go to drawText each time.
    void draw(QPainter& painter, const QRectF& rect, int flags, const QString& text);

    // The texts (the lines of texts of several lines) laid out and kept so far.
    int layoutCount() const { return m_layoutCount; }

private:
    // A paragraph (a line of the text, up to and with its line break) broken into lines.
    struct Laid
    {
        std::unique_ptr<QTextLayout> layout;
        std::vector<double> heights; // of each line
    };
    struct Entry;
    Entry& entry(const QPainter& painter, double lineWidth, const QString& paragraph);
    static Laid layOut(const Entry& e, const QString& paragraph);

    struct TextHash
    {
        std::size_t operator()(const QString& text) const { return qHash(text); }
    };
    std::unordered_map<QString, std::vector<std::unique_ptr<Entry>>, TextHash> m_entries;
    int m_entryCount = 0;
    int m_layoutCount = 0;
};
