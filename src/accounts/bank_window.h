#pragma once

// frmBank "Импорт выписки банка": the incoming payments of a bank statement, each matched to its
// subscriber and month for the treasurer to confirm; "Занести" adds the checked ones into the
// ledger's "Внесено", writes the database and records them in the import journal, so that no
// payment is ever added twice. Opened from the ledger, which takes no input meanwhile.
//
// The journal is not the only memory of what went in: the count of its entries after each import
// is kept in the user's settings, by the database's path. A journal gone or shorter than that
// leaves unchecked every payment of a subscriber's month that already holds money.

#include "accounts/bank_import.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

class AppState;
class BankModel;
class QLabel;
class QPushButton;
class QTableView;

// What the window that opens the import does once payments went into the table: the months whose
// figures changed (the ledger fills the month it shows anew when it is among them).
using PaymentsEntered = std::function<void(const std::vector<bank::YearMonth>& changedMonths)>;

// Asks for the statement file, reads it and the journal, and opens frmBank over `owner` (the
// ledger, which takes no input meanwhile); a file that is no statement is told and changes nothing.
void openBankImport(AppState& state, QWidget* owner, PaymentsEntered entered);

// The association's own account: the payee details' account, else the statement's РасчСчет.
QString associationAccount(AppState& state, const bank::Statement& statement);

// The count of journal entries the last import left, for the database at `databasePath`; none when
// no import has been made from these settings.
std::optional<int> knownJournalEntries(const AppState& state, const QString& databasePath);
void rememberJournalEntries(AppState& state, const QString& databasePath, int entries);

class frmBank : public QDialog
{
    Q_OBJECT
public:
    frmBank(AppState& state, QWidget* owner, const QString& fileName, const bank::Statement& statement,
        bank::Import import, bank::Journal journal, PaymentsEntered entered,
        const QString& journalWarning = {});

    QTableView* grid() const { return m_g; }
    BankModel* model() const { return m_model; }
    QPushButton* enterButton() const { return m_cmdOk; }
    QPushButton* cancelButton() const { return m_cmdCancel; }
    QPushButton* splitButton() const { return m_cmdSplit; }

    void CmdOk_Click();
    // Opens frmSplit over the current row.
    void CmdSplit_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showChecked();
    void showSplitAllowed();
    // The columns share the grid's width: the texts give way first, the purpose most.
    void fitColumns();
    bool confirmLarge(int row);

    AppState& m_state;
    PaymentsEntered m_entered;
    bank::Journal m_journal;
    BankModel* m_model = nullptr;
    QTableView* m_g = nullptr;
    QLabel* m_lblChecked = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdSplit = nullptr;
    QString m_databasePath;
};
