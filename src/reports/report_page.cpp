#include "reports/report_page.h"

#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "platform/hidden_while_open.h"
#include "platform/clock.h"
#include "session/app_state.h"

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

using namespace documents;

namespace reports {
namespace {

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

Qt::Alignment alignmentOf(ColumnKind kind)
{
    return kind == ColumnKind::Text ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter;
}

QTableWidgetItem* cellItem(const std::string& text, ColumnKind kind, bool bold, const QFont& font)
{
    auto* item = new QTableWidgetItem(fromStd(text));
    item->setTextAlignment(alignmentOf(kind));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (bold) {
        QFont boldFont = font;
        boldFont.setBold(true);
        item->setFont(boldFont);
    }
    return item;
}

} // namespace

void fillReportRows(QTableWidget* grid, const ReportTable& table,
    const std::vector<std::vector<std::string>>& rows, bool withTotals)
{
    const int columns = int(table.columns.size());
    grid->setUpdatesEnabled(false);
    grid->setRowCount(0);
    grid->setColumnCount(columns);
    QStringList headings;
    for (const ReportColumn& column : table.columns)
        headings << fromStd(column.heading);
    grid->setHorizontalHeaderLabels(headings);
    for (int c = 0; c < columns; ++c) {
        if (QTableWidgetItem* heading = grid->horizontalHeaderItem(c))
            heading->setTextAlignment(Qt::AlignCenter);
    }
    const bool totals = withTotals && !table.totals.empty();
    grid->setRowCount(int(rows.size()) + (totals ? 1 : 0));
    const QFont font = grid->font();
    const auto fillRow = [&](int r, const std::vector<std::string>& cells, bool bold) {
        for (int c = 0; c < columns && c < int(cells.size()); ++c)
            grid->setItem(
                r, c, cellItem(cells[std::size_t(c)], table.columns[std::size_t(c)].kind, bold, font));
    };
    for (int r = 0; r < int(rows.size()); ++r)
        fillRow(r, rows[std::size_t(r)], false);
    if (totals)
        fillRow(int(rows.size()), table.totals, true);
    grid->setUpdatesEnabled(true);
}

void fillReportGrid(QTableWidget* grid, const ReportTable& table)
{
    fillReportRows(grid, table, table.rows, true);
}

int sheetCount(const ReportTable& table, int rowsPerSheet)
{
    // The totals row follows the last row, on a sheet of its own when the last one is full.
    const int rows = int(table.rows.size()) + (table.totals.empty() ? 0 : 1);
    return std::max(1, (rows + rowsPerSheet - 1) / rowsPerSheet);
}

std::vector<std::vector<std::string>> sheetRows(const ReportTable& table, int rowsPerSheet, int sheet)
{
    const std::size_t first = std::size_t(std::max(0, sheet - 1)) * std::size_t(rowsPerSheet);
    if (first >= table.rows.size())
        return {};
    const std::size_t last = std::min(table.rows.size(), first + std::size_t(rowsPerSheet));
    return { table.rows.begin() + std::ptrdiff_t(first), table.rows.begin() + std::ptrdiff_t(last) };
}

} // namespace reports

namespace {

// Twips, as the other printouts: a portrait sheet like the statement's, a landscape one like the
// ledger's, a margin of 1000 all round.
constexpr int PortraitWidth = 12000;
constexpr int PortraitHeight = 16400;
constexpr int LandscapeWidth = 16725;
constexpr int LandscapeHeight = 11625;
constexpr int Margin = 1000;
constexpr int TitleTop = 360;
constexpr int LineTwips = 300;
constexpr int RowHeight = 19; // pixels
constexpr int HeaderHeight = 34; // two lines of headings

} // namespace

ReportPage::ReportPage(AppState& state, reports::ReportTable table, PageOrientation orientation,
    const QString& name, const QString& fileName, QWidget* parent)
    : SheetsPage(state, parent), m_table(std::move(table)), m_orientation(orientation), m_fileName(fileName)
{
    setObjectName(name);
    const bool landscape = orientation == PageOrientation::Landscape;
    const int width = landscape ? LandscapeWidth : PortraitWidth;
    const int height = landscape ? LandscapeHeight : PortraitHeight;
    makePaper(this, width, height);
    const int inner = width - 2 * Margin;

    auto* title = pageLabel(this, QStringLiteral("LblTitle"), QString::fromStdString(m_table.title),
        QRect(Margin, TitleTop, inner - 3000, 420), Qt::AlignLeft | Qt::AlignVCenter, true);
    title->setFont(pageFont(12, true));
    pageLabel(this, QStringLiteral("LblDate"),
        QStringLiteral("Составлено ") + state.services.clock.now().toString(QStringLiteral("dd.MM.yyyy")),
        QRect(width - Margin - 3000, TitleTop, 3000, 420), Qt::AlignRight | Qt::AlignVCenter);
    int top = TitleTop + 480;
    pageLabel(this, QStringLiteral("LblSubtitle"), QString::fromStdString(m_table.subtitle),
        QRect(Margin, top, inner - 2500, LineTwips), Qt::AlignLeft | Qt::AlignVCenter, true);
    m_sheet = pageLabel(this, QStringLiteral("Label1"), QStringLiteral("Лист 1"),
        QRect(width - Margin - 2500, top, 2500, LineTwips), Qt::AlignRight | Qt::AlignVCenter);
    top += LineTwips;
    for (std::size_t i = 0; i < m_table.notes.size(); ++i) {
        pageLabel(this, QStringLiteral("LblNote_%1").arg(i), QString::fromStdString(m_table.notes[i]),
            QRect(Margin, top, inner, LineTwips));
        top += LineTwips;
    }
    top += 120;

    // The columns share the paper's width as their twips say.
    const QRect area(px(Margin), px(top), px(inner), px(height - Margin) - px(top));
    int twips = 0;
    for (const reports::ReportColumn& column : m_table.columns)
        twips += column.twips;
    std::vector<int> widths;
    int used = 0;
    for (std::size_t c = 0; c < m_table.columns.size(); ++c) {
        const int w = c + 1 == m_table.columns.size()
            ? area.width() - used
            : area.width() * m_table.columns[c].twips / std::max(1, twips);
        widths.push_back(w);
        used += w;
    }
    m_rowsPerSheet = std::max(1, (area.height() - HeaderHeight) / RowHeight);
    const int gridHeight = HeaderHeight + m_rowsPerSheet * RowHeight + 1;
    m_grid = pageGrid(this, QRect(area.x(), area.y(), area.width() + 1, gridHeight), widths, RowHeight);
    m_grid->horizontalHeader()->setFixedHeight(HeaderHeight);
    m_grid->horizontalHeader()->setFont(pageFont(8, true));
    showSheet(1);
}

QString ReportPage::frameCaption() const
{
    return QStringLiteral("Печать: ") + QString::fromStdString(m_table.title);
}

int ReportPage::sheetCount() const
{
    return reports::sheetCount(m_table, m_rowsPerSheet);
}

void ReportPage::showSheet(int sheet)
{
    const int sheets = sheetCount();
    m_sheet->setText(QStringLiteral("Лист %1 из %2").arg(sheet).arg(sheets));
    reports::fillReportRows(
        m_grid, m_table, reports::sheetRows(m_table, m_rowsPerSheet, sheet), sheet == sheets);
}

PageOrientation ReportPage::orientation() const
{
    return m_orientation;
}

QString ReportPage::pdfName() const
{
    return pdfFileName({ m_fileName });
}

MDIfrmPrint* openReportPrint(const AppState& state, QWidget* from, ReportPage* page)
{
    auto* frame = new MDIfrmPrint(state);
    frame->setPage(page);
    hideWhileOpen(from, frame);
    frame->show();
    return frame;
}
