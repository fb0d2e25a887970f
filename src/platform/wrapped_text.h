#pragma once

// The height a word-wrapped text takes in a box of a given width, for many texts that share most of
// their lines: the payee's details on each of thousands of receipts, with only the purpose of the
// payment different. Each line of such a text is broken into lines on its own, so the lines of each
// are laid out once and remembered, and only the lines not met before are laid out again.

#include <QFont>
#include <QHashFunctions>
#include <QString>
#include <unordered_map>
#include <vector>

class WrappedTextHeights
{
public:
    // What QFontMetrics(font).boundingRect(QRect(0, 0, width, h), Qt::AlignLeft | Qt::AlignTop |
    // Qt::TextWordWrap, text).height() says, for any large h.
    int height(const QFont& font, int width, const QString& text);

private:
    struct Lines
    {
        QFont font;
        int width = 0;
        std::vector<double> heights; // of each line the paragraph breaks into
    };
    const std::vector<double>& linesOf(const QFont& font, int width, const QString& paragraph);

    struct TextHash
    {
        std::size_t operator()(const QString& text) const { return qHash(text); }
    };
    std::unordered_map<QString, std::vector<Lines>, TextHash> m_paragraphs;
    int m_count = 0;
};
