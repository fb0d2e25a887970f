#include "accounts/grid_header.h"
#include "accounts/ledger_window.h"
#include "platform/window_frame.h"
#include "session/app_state.h"

#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

// The sizes of the ledger: the grid's columns and rows, the window on a small screen, the names'
// column taking the room left, and the sums row kept under the columns as they scroll.

namespace {

// Column widths in twips; the supplier-account columns have none.
constexpr std::array<int, ledger::Columns> ColumnTwips
    = { 2190, 1140, 1140, 1050, 0, 1480, 1120, 1020, 780, 0, 960, 1080, 1080, 0 };
constexpr int RowTwips = 285;
constexpr int GridMarginTwips = 100;
constexpr int RowsShownAtMost = 25;

} // namespace

int frmRedLS::columnWidth(int column) const
{
    if (ColumnTwips[column] == 0)
        return 0;
    const int width = twipsToPixels(this, ColumnTwips[column]);
    return column == ledger::NameColumn ? width : std::max(width, amountWidth(this));
}

void frmRedLS::WCOL()
{
    for (int c = 0; c < ledger::Columns; ++c) {
        m_grid->setColumnHidden(c, ColumnTwips[c] == 0);
        m_grid->setColumnWidth(c, columnWidth(c));
    }
    const int rowHeight = std::max(twipsToPixels(this, RowTwips), fontMetrics().height() + 4);
    m_grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_grid->verticalHeader()->setMinimumSectionSize(rowHeight);

    // Room for every row up to 25, then the grid scrolls.
    const int rows = std::min(m_state.table.recordCount(), RowsShownAtMost);
    const int frame = 2 * m_grid->frameWidth();
    const int gridHeight
        = m_header->sizeHint().height() + rows * rowHeight + twipsToPixels(this, GridMarginTwips) + frame;
    int gridWidth = frame + m_grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < ledger::Columns; ++c)
        gridWidth += columnWidth(c);

    const int fewestRows = m_header->sizeHint().height() + 3 * rowHeight + frame;
    m_grid->setFixedSize(gridWidth, gridHeight);
    QSize size = layout()->totalSizeHint();
    if (const QScreen* display = screen()) {
        // The whole window, title bar included, stays on a small screen (1024 × 768): the grid
        // takes the rows there is room for, and scrolls.
        const QSize free = display->availableSize() - windowFrameSize(this);
        if (size.height() > free.height()) {
            m_grid->setFixedSize(
                gridWidth, std::max(fewestRows, gridHeight - (size.height() - free.height())));
            size = layout()->totalSizeHint();
        }
        size = size.boundedTo(free);
    }
    resize(size);
    // Once the window has its size, the grid follows the window.
    m_grid->setMinimumSize(columnWidth(ledger::NameColumn) + 4 * columnWidth(ledger::TotalDue), fewestRows);
    m_grid->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void frmRedLS::fitNameColumn()
{
    // The names take the room the other columns leave.
    int others = 0;
    for (int c = 1; c < ledger::Columns; ++c)
        others += m_grid->isColumnHidden(c) ? 0 : m_grid->columnWidth(c);
    const int wanted = std::max(columnWidth(ledger::NameColumn), m_grid->viewport()->width() - others);
    if (m_grid->columnWidth(ledger::NameColumn) != wanted)
        m_grid->setColumnWidth(ledger::NameColumn, wanted);
}

void frmRedLS::layoutSums()
{
    const int rowLeft = m_sumsRow->mapTo(this, QPoint(0, 0)).x();
    const auto columnLeft = [this, rowLeft](int c) {
        return m_grid->viewport()->mapTo(this, QPoint(m_header->sectionViewportPosition(c), 0)).x() - rowLeft;
    };
    const int height = m_sumsRow->height();
    const int nameRight = m_grid->viewport()->mapTo(this, QPoint(0, 0)).x() - rowLeft
        + m_grid->columnWidth(ledger::NameColumn);
    m_sumCaption->setGeometry(0, 0, std::max(0, nameRight - 6), height);
    m_sumsClip->setGeometry(nameRight, 0, std::max(0, m_sumsRow->width() - nameRight), height);
    for (int j = 0; j < ledger::SumBoxes; ++j) {
        const int c = j + 1;
        QLineEdit* box = m_tS[j];
        if (m_grid->isColumnHidden(c)) {
            box->hide();
            continue;
        }
        box->setGeometry(columnLeft(c) - nameRight, 0, m_grid->columnWidth(c), height);
        box->show();
    }
}
