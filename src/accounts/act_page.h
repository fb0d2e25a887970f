#pragma once

// The printed "Акт сверки расчётов": the partnership and the subscriber, the opening balance, the
// months of the period in a table, the closing balance in figures and words, and the lines where
// the treasurer and the subscriber sign. A long period goes on as many portrait sheets as it needs;
// the closing balance and the signatures stand under the last of them.

#include "accounts/reconciliation.h"
#include "documents/preview_frame.h"

class AppState;
class QLabel;
class QTableWidget;

class frmActPrint : public SheetsPage
{
    Q_OBJECT
public:
    frmActPrint(AppState& state, ledger::Act act, std::string partnership, QWidget* parent = nullptr);

    QString frameCaption() const override;
    int sheetCount() const override;
    void showSheet(int sheet) override;
    PageOrientation orientation() const override { return PageOrientation::Portrait; }
    QString pdfName() const override;

    const ledger::Act& act() const { return m_act; }
    QTableWidget* grid() const { return m_grid; }

private:
    ledger::Act m_act;
    ledger::ActTable m_table;
    std::vector<int> m_sheetStarts; // the first row of each sheet
    QString m_date; // of drawing up, dd.mm.yyyy
    QLabel* m_partnership = nullptr;
    QLabel* m_sheet = nullptr;
    QLabel* m_subscriber = nullptr;
    QLabel* m_opening = nullptr;
    QTableWidget* m_grid = nullptr;
    QLabel* m_legend = nullptr;
    QLabel* m_closing = nullptr;
    QList<QWidget*> m_signatures;
};
