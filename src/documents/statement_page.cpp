#include "documents/statement_page.h"

#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "documents/sheets.h"
#include "session/app_state.h"

#include <QHeaderView>
#include <QLabel>

using namespace documents;

namespace {

// Twips: the grid at 1000, 660, 10000 × 15495 on a portrait sheet.
constexpr int PageWidth = 12000;
constexpr int PageHeight = 16400;
const QRect GridArea(px(1000), px(660), px(10000), px(15495));
constexpr int RowHeight = 19;
constexpr int HeaderHeight = 26;

// Column widths 420, 2800, 2300, 2200, 2200 twips and the rest of the grid.
std::vector<int> columnWidths()
{
    std::vector<int> widths = { px(420), px(2800), px(2300), px(2200), px(2200) };
    int used = 0;
    for (int w : widths)
        used += w;
    widths.push_back(GridArea.width() - used);
    return widths;
}

const std::array<Qt::Alignment, 5> Alignments = { Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter,
    Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignCenter, Qt::AlignCenter };

} // namespace

frmPrint2::frmPrint2(AppState& state, QWidget* parent) : SheetsPage(state, parent)
{
    setObjectName(QStringLiteral("frmPrint2"));
    makePaper(this, PageWidth, PageHeight);
    m_date = pageLabel(this, QStringLiteral("LblDate"), QString(), QRect(1000, 240, 6000, 360),
        Qt::AlignLeft | Qt::AlignVCenter, true);
    m_sheet = pageLabel(this, QStringLiteral("Label1"), QStringLiteral("Лист 1"), QRect(9000, 240, 2000, 360),
        Qt::AlignRight | Qt::AlignVCenter);
    m_grid = pageGrid(this, GridArea, columnWidths(), RowHeight);
    m_grid->setHorizontalHeaderLabels({ QStringLiteral(" № "), QStringLiteral("              Фамилия И. О."),
        QStringLiteral("                   Адрес"), QStringLiteral("Последн. показ. сч."),
        QStringLiteral("Текущее показ. сч."), QString() });
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->horizontalHeader()->setFixedHeight(HeaderHeight);
}

QString frmPrint2::frameCaption() const
{
    return QStringLiteral("Печать ведомости для снятия показаний счетчиков");
}

void frmPrint2::Form_Load()
{
    m_state.PreviewMode = 2;
    m_state.ReportMonth = reportMonthNumber(m_state.ReportMonth);
    m_date->setText(m_state.ReportMonthName + QLatin1Char(' ') + m_state.ReportYear);
    m_state.LastReadings = lastReadings(m_state.table, m_state.ReportYear.toStdString(), m_state.ReportMonth);
    showSheet(1);
}

int frmPrint2::sheetCount() const
{
    return statementSheetCount(m_state.table);
}

void frmPrint2::showSheet(int sheet)
{
    m_sheet->setText(QStringLiteral("Лист %1").arg(sheet));
    fillGrid(m_grid, statementRows(m_state.table, m_state.LastReadings, sheet), Alignments);
}

PageOrientation frmPrint2::orientation() const
{
    return PageOrientation::Portrait;
}

QString frmPrint2::pdfName() const
{
    return pdfFileName({ QStringLiteral("Ведомость"), m_state.ReportMonthName, m_state.ReportYear });
}

void frmPrint2::unload()
{
    m_state.PreviewMode = 0;
    m_state.ReportMonthName.clear();
    m_state.ReportYear.clear();
    m_state.ReportMonth = 0;
}
