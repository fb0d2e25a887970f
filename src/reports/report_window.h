#pragma once

// What the report windows (the readings check, the debtors list, the month's summary) share: the
// grid g of the report, the buttons "Печать" CmdPrint, "В Excel" CmdExport and "Закрыть" CmdClose
// under it, Ctrl+P to print and Escape to close. What stands above the grid is each window's own.

#include "platform/printer.h"
#include "reports/report_table.h"

#include <QWidget>

class AppState;
class QHBoxLayout;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

class ReportWindow : public QWidget
{
    Q_OBJECT
public:
    QTableWidget* grid() const { return m_grid; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* closeButton() const { return m_close; }
    const reports::ReportTable& report() const { return m_report; }

    // The report in the preview frame, and saved as a workbook.
    void CmdPrint_Click();
    void CmdExport_Click();

protected:
    // `name` is the window's objectName; `pageName` that of its printout.
    ReportWindow(AppState& state, const QString& name, const QString& title, const QString& pageName,
        PageOrientation orientation, QWidget* parent = nullptr);

    // Where the window puts what stands above the grid, and beside the buttons.
    QVBoxLayout* top() const { return m_top; }
    QHBoxLayout* body() const { return m_body; }
    QHBoxLayout* buttons() const { return m_buttons; }

    // Shows the report in the grid; it is what prints and what the workbook holds.
    void showReport(reports::ReportTable report);
    // The name proposed for the printout's PDF and the workbook, without its extension.
    virtual QString fileName() const = 0;
    // Whatever was typed and not yet taken is taken before the window prints, saves or closes.
    // False when it was refused (and said so): the window stays as it is.
    virtual bool takeTyped() { return true; }

    void closeEvent(QCloseEvent* event) override;

    AppState& m_state;

private:
    QString m_pageName;
    PageOrientation m_orientation;
    reports::ReportTable m_report;
    QVBoxLayout* m_top = nullptr;
    QHBoxLayout* m_body = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    QTableWidget* m_grid = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_close = nullptr;
};
