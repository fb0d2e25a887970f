#pragma once

// frmBank "Импорт выписки банка": the incoming payments of a bank statement, each matched to its
// subscriber and month for the treasurer to confirm; "Занести" adds the checked ones into the
// ledger's "Внесено", writes the database and records them in the import journal, so that no
// payment is ever added twice. Opened from the ledger, which takes no input meanwhile.

#include "accounts/bank_import.h"

#include <QDialog>

class AppState;
class BankModel;
class QLabel;
class QPushButton;
class QTableView;
class frmRedLS;

// Asks for the statement file, reads it and the journal, and opens frmBank over the ledger; a file
// that is no statement is told and changes nothing.
void openBankImport(AppState& state, frmRedLS& ledger);

// The association's own account: the payee details' account, else the statement's РасчСчет.
QString associationAccount(AppState& state, const bank::Statement& statement);

class frmBank : public QDialog
{
    Q_OBJECT
public:
    frmBank(AppState& state, frmRedLS& ledger, const QString& fileName, const bank::Statement& statement,
        bank::Import import, bank::Journal journal);

    QTableView* grid() const { return m_g; }
    BankModel* model() const { return m_model; }
    QPushButton* enterButton() const { return m_cmdOk; }
    QPushButton* cancelButton() const { return m_cmdCancel; }

    void CmdOk_Click();

private:
    void showChecked();

    AppState& m_state;
    frmRedLS& m_ledger;
    bank::Journal m_journal;
    BankModel* m_model = nullptr;
    QTableView* m_g = nullptr;
    QLabel* m_lblChecked = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
