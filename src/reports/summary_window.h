#pragma once

// frmSummary "Сводка за месяц": the association's totals of a month beside those of the year so
// far, the supplier's figures of the month typed by the operator with what the subscribers'
// charges leave uncovered, and a bar chart of the twelve months' kWh to pay and money received.

#include "reports/report_window.h"
#include "reports/summary.h"
#include "reports/supplier_figures.h"

class QBarSet;
class QChartView;
class QComboBox;
class QLineEdit;

class frmSummary : public ReportWindow
{
    Q_OBJECT
public:
    // Opens on the year shown on the main sheet and its last month with readings.
    frmSummary(AppState& state, const QString& year, QWidget* parent = nullptr);

    QComboBox* yearSelector() const { return m_year; }
    QComboBox* monthSelector() const { return m_month; }
    QLineEdit* supplierKwhBox() const { return m_kwh; }
    QLineEdit* supplierBillBox() const { return m_bill; }
    QChartView* chartView() const { return m_chart; }
    QBarSet* kwhBars() const { return m_kwhBars; }
    QBarSet* moneyBars() const { return m_moneyBars; }
    const reports::YearSummary& summary() const { return m_summary; }

    // The year or month chosen: what was typed for the supplier is kept first.
    void Cmb_Click();
    // Keeps the supplier's figures typed for the month in the file. False when one is no number
    // or the file could not be written (both said so): the figures stay as they were.
    bool takeSupplierFigures();

protected:
    QString fileName() const override;
    bool takeTyped() override;

private:
    int chosenYear() const;
    void loadSupplierFile();
    void showSummary();
    void showSupplierFigures();
    void drawChart();

    QComboBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    QLineEdit* m_kwh = nullptr;
    QLineEdit* m_bill = nullptr;
    QChartView* m_chart = nullptr;
    QBarSet* m_kwhBars = nullptr;
    QBarSet* m_moneyBars = nullptr;
    reports::YearSummary m_summary;
    // The year and month shown, which the supplier's boxes belong to.
    int m_shownYear = 0;
    int m_m = 1;
    reports::SupplierFigures m_figures;
    std::string m_supplierPath;
    bool m_figuresKept = true; // false when the file could not be read: nothing is written over it
    bool m_taking = false;
};
