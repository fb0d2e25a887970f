#pragma once

// frmAct "Акт сверки расчётов": the period of one subscriber's act, from a month of a year to a
// month of a year within the years the database holds; "Сформировать" shows the act in the preview
// frame to print or to save as a PDF.

#include "database/year_window.h"

#include <QDialog>
#include <array>

class AppState;
class QComboBox;
class QLabel;

class frmAct : public QDialog
{
    Q_OBJECT
public:
    frmAct(AppState& state, int record, QWidget* parent = nullptr);

    // The period's ends: 0 from, 1 to.
    QComboBox* month(int end) const { return m_month[std::size_t(end)]; }
    QComboBox* year(int end) const { return m_year[std::size_t(end)]; }
    void setPeriod(fields::YearMonth from, fields::YearMonth to);

    void CmdOk_Click();

private:
    fields::YearMonth chosen(int end) const;

    AppState& m_state;
    int m_record = 0;
    std::array<QComboBox*, 2> m_month{};
    std::array<QComboBox*, 2> m_year{};
};

// The act's window for the record, over the window it was asked from.
void openReconciliation(AppState& state, int record, QWidget* parent);
