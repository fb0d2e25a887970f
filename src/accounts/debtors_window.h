#pragma once

// frmDebtors "Должники": the subscribers who end the ledger's month owing more than the threshold
// typed above the grid, the largest debt first, and the totals row.

#include "accounts/debtors.h"
#include "reports/report_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

class frmDebtors : public ReportWindow
{
    Q_OBJECT
public:
    frmDebtors(AppState& state, const ledger::LedgerMonth& month, QWidget* parent = nullptr);

    QLineEdit* thresholdBox() const { return m_threshold; }
    QLabel* monthLabel() const { return m_caption; }
    const ledger::DebtorsList& list() const { return m_list; }

    // The list for the threshold typed; an amount that is none is refused with a message and the
    // list stays as it was.
    void CmdShow_Click();

protected:
    QString fileName() const override;
    bool takeTyped() override;
    // The threshold is no data: a window with one that is no amount closes all the same.
    void closeEvent(QCloseEvent* event) override;

private:
    bool takeThreshold();
    void showList();
    QString monthText() const;

    ledger::LedgerMonth m_month;
    Currency m_shownThreshold;
    QLabel* m_caption = nullptr;
    QLineEdit* m_threshold = nullptr;
    QPushButton* m_show = nullptr;
    ledger::DebtorsList m_list;
};

// Opens the debtors of the ledger's month; the ledger window is hidden while the list is open and
// shown again when it closes.
frmDebtors* openDebtors(AppState& state, QWidget* ledgerWindow, const ledger::LedgerMonth& month);
