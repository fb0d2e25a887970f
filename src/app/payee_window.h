#pragma once

// frmRekv "Реквизиты получателя платежа": whom the subscribers pay. The details are checked as a bank
// would check them and stored only when all of them pass; the receipts print them as a payment QR
// code. Stored details that fail the checks (a settings file edited by hand) are shown with what is
// wrong, and the receipts go without a code meanwhile.

#include "documents/payee.h"

#include <QDialog>
#include <array>

class AppState;
class QLabel;
class QLineEdit;

class frmRekv : public QDialog
{
    Q_OBJECT
public:
    frmRekv(AppState& state, QWidget* mainWindow);

    // In the order of the window, top to bottom.
    QLineEdit* txtName = nullptr;
    QLineEdit* txtAcc = nullptr;
    QLineEdit* txtBank = nullptr;
    QLineEdit* txtBIC = nullptr;
    QLineEdit* txtKS = nullptr;
    QLineEdit* txtINN = nullptr;
    QLineEdit* txtKPP = nullptr;
    QLineEdit* txtNazn = nullptr;

private:
    void CmdOk_Click();
    // After a question, the stored details go: receipts are printed without code and details again.
    void CmdClear_Click();
    // What the boxes hold, cleaned: blanks around the texts and inside the numbers do not count.
    documents::PayeeDetails typed();
    void showDetails(const documents::PayeeDetails& details);
    // The box whose caption the fault begins with.
    void focusFieldOf(const QString& fault);

    AppState& m_state;
    std::array<QLineEdit*, 8> m_boxes{};
    std::array<QString, 8> m_captions;
    QLabel* m_fault = nullptr; // what is wrong with the stored details, when anything is
};
