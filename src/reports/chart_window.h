#pragma once

// frmGr1 "График": the monthly consumption of one subscriber in one year as a curve, with more
// subscribers or years drawn over it in other colours for comparison.

#include "reports/chart_data.h"

#include <QWidget>

class AppState;
class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QPushButton;
class QValueAxis;

class frmGr1 : public QWidget
{
    Q_OBJECT
public:
    // Opens on the subscriber and the year shown in the main window.
    frmGr1(AppState& state, const QString& subscriber, const QString& year, QWidget* parent = nullptr);

    int ChartRow = 0; // the chosen subscriber's record; 0 until one is found
    int CurveCount = 0; // curves drawn since the window opened; "Стереть " does not reset it

    QComboBox* subscriberCombo() const { return m_cmb[0]; }
    QComboBox* yearCombo() const { return m_cmb[1]; }
    QChartView* ctlChart1() const { return m_view; }
    QChart* chart() const;
    const chart::Scale& scale() const { return m_scale; }

    void CmdDraw_Click();
    void CmdErase_Click();
    void Command1_Click(); // "-"
    void Command2_Click(); // "+"

private:
    void Cmb1_Click();
    void applyScale();
    void updateDrawButton();

    AppState& m_state;
    QComboBox* m_cmb[2] = {};
    QPushButton* m_draw = nullptr;
    QPushButton* m_erase = nullptr;
    QPushButton* m_minus = nullptr;
    QPushButton* m_plus = nullptr;
    QChartView* m_view = nullptr;
    QCategoryAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    chart::Scale m_scale;
};
