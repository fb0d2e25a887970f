#pragma once

// Building blocks of the printable pages: labels, rules and grids placed in twips, as the paper
// forms were drawn, at fifteen twips to the pixel.

#include <QString>
#include <QTableWidget>
#include <array>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QWidget;

namespace documents {

constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

// The type of the printed forms: a narrow face, so that numbers fit the paper's columns.
QFont pageFont(double pointSize = 9, bool bold = false);
// A white page of the given size in twips.
void makePaper(QWidget* page, int widthTwips, int heightTwips);

QLabel* pageLabel(QWidget* parent, const QString& name, const QString& text, QRect twips,
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, bool bold = false);
// A straight rule between two points in pixels (horizontal or vertical).
QFrame* pageRule(QWidget* parent, const QString& name, QPoint from, QPoint to);

// A grid of read-only cells laid out for paper: fixed column widths in pixels, rows of one height,
// no scroll bars, no row numbers.
QTableWidget* pageGrid(QWidget* parent, QRect geometry, const std::vector<int>& columnWidths, int rowHeight);

// Replaces the grid's rows; the grid is not repainted until the sheet is complete.
template <std::size_t N>
void fillGrid(QTableWidget* grid, const std::vector<std::array<std::string, N>>& rows,
    const std::array<Qt::Alignment, N>& alignments)
{
    grid->setUpdatesEnabled(false);
    grid->setRowCount(0);
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(N); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[std::size_t(r)][std::size_t(c)]));
            item->setTextAlignment(alignments[std::size_t(c)]);
            grid->setItem(r, c, item);
        }
    }
    grid->setUpdatesEnabled(true);
}

} // namespace documents
