#pragma once

// The printout of a report in the preview frame: the title, what it covers, the date it was made
// and its notes above a grid of the report's columns, as many rows to a sheet as the paper holds,
// the totals row after the last one. The same grid fills the report windows themselves.

#include "documents/preview_frame.h"
#include "platform/printer.h"
#include "reports/report_table.h"

class AppState;
class QLabel;
class QTableWidget;

namespace reports {

// The report's rows (and its totals row, in bold) into a grid with the report's headings.
void fillReportGrid(QTableWidget* grid, const ReportTable& table);
// Some of the rows, with the totals row after them or without it.
void fillReportRows(QTableWidget* grid, const ReportTable& table,
    const std::vector<std::vector<std::string>>& rows, bool withTotals);

// Rows of the report on each sheet: all of them when there are fewer.
std::vector<std::vector<std::string>> sheetRows(const ReportTable& table, int rowsPerSheet, int sheet);
int sheetCount(const ReportTable& table, int rowsPerSheet);

} // namespace reports

class ReportPage : public SheetsPage
{
    Q_OBJECT
public:
    // `name` is the page's objectName, `fileName` that of its PDF without the extension.
    ReportPage(AppState& state, reports::ReportTable table, PageOrientation orientation, const QString& name,
        const QString& fileName, QWidget* parent = nullptr);

    QString frameCaption() const override;
    int sheetCount() const override;
    void showSheet(int sheet) override;
    PageOrientation orientation() const override;
    QString pdfName() const override;

    int rowsPerSheet() const { return m_rowsPerSheet; }
    QTableWidget* grid() const { return m_grid; }

private:
    reports::ReportTable m_table;
    PageOrientation m_orientation;
    QString m_fileName;
    int m_rowsPerSheet = 1;
    QLabel* m_sheet = nullptr;
    QTableWidget* m_grid = nullptr;
};

// Opens the report's printout in the preview frame. The window it comes from is hidden while the
// printout is open and shown again when it closes.
MDIfrmPrint* openReportPrint(const AppState& state, QWidget* from, ReportPage* page);
