#pragma once

// frmDebtors "Должники": the subscribers who end the ledger's month owing more than the threshold
// typed above the grid, the largest debt first, and the totals row. The debtors checked in the
// list get the notices of debt ("Уведомления") or the pre-trial claims ("Претензии"); the list
// says the latest claim each has been sent.

#include "accounts/claims_register.h"
#include "accounts/debtors.h"
#include "reports/report_window.h"

#include <set>

class QDateEdit;
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

    QDateEdit* payByBox() const { return m_payBy; }

    // The list for the threshold typed; an amount that is none is refused with a message and the
    // list stays as it was.
    void CmdShow_Click();

    // The debtors checked, in the list's order. Every debtor is checked until the user unchecks one.
    std::vector<int> checkedRecords() const;
    void setChecked(int record, bool checked);
    void CmdCheckAll_Click();
    void CmdUncheckAll_Click();
    // The papers of the checked debtors in the preview frame.
    void CmdNotice_Click();
    void CmdClaim_Click();
    void CmdClaimText_Click();
    void CmdPenalty_Click();

protected:
    QString fileName() const override;
    bool takeTyped() override;
    // The threshold is no data: a window with one that is no amount closes all the same.
    void closeEvent(QCloseEvent* event) override;

private:
    bool takeThreshold();
    void showList();
    void showChecks();
    QString monthText() const;
    bool readClaims();
    // The checked debtors' papers as of today; nothing when none is checked (said so).
    std::optional<std::vector<int>> chosen(const QString& title, const QString& none);

    ledger::LedgerMonth m_month;
    Currency m_shownThreshold;
    QLabel* m_caption = nullptr;
    QLineEdit* m_threshold = nullptr;
    QPushButton* m_show = nullptr;
    QDateEdit* m_payBy = nullptr;
    ledger::DebtorsList m_list;
    std::set<int> m_unchecked;
    claims::Register m_claims;
};

// Opens the debtors of the ledger's month; the ledger window is hidden while the list is open and
// shown again when it closes.
frmDebtors* openDebtors(AppState& state, QWidget* ledgerWindow, const ledger::LedgerMonth& month);
