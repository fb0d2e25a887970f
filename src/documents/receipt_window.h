#pragma once

// The receipt frmKvit: one subscriber's bill for one month, in one copy or two copies one above the
// other on a portrait page. It prints from its own button and closes.

#include "documents/payee.h"
#include "documents/preview_frame.h"
#include "documents/receipt.h"
#include "platform/wrapped_text.h"

#include <QList>
#include <QString>
#include <array>

class AppState;
class SheetView;
struct ShownSheet;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QrCodeView;

// The paper of the receipt: the lines of one subscriber's month in one copy, or in two copies one
// above the other, with the pay-by line. The single receipt shows and prints it; the receipts of a
// month for everyone are drawn from it too, so that both come out alike.
class ReceiptPaper : public PreviewPage
{
    Q_OBJECT
public:
    explicit ReceiptPaper(QWidget* parent = nullptr);

    QString frameCaption() const override;
    // Both copies show the receipt; with the payee's details and something to pay, each copy
    // carries the payment's QR code, and with the details the lines to copy onto a bank's form.
    void showReceipt(const documents::Receipt& receipt, const documents::PayeeDetails& payee);
    bool hasCode() const { return m_hasCode; }
    QLabel* payeeText(int copy) const { return m_payeeText[std::size_t(copy)]; }
    QLabel* account(int copy) const { return m_account[std::size_t(copy)]; }
    // One copy or two; the second copy never carries the prepayment note.
    void setTwoCopies(bool two);
    // Paper look: the pay-by boxes without frames, and without a pay-by date no caption either.
    void setPaperLook(bool on);

    QLabel* value(int index) const { return m_values[std::size_t(index)]; }
    QLabel* caption(int index) const { return m_captions[std::size_t(index)]; }
    QLineEdit* payBy(int copy) const { return m_txtOPL[std::size_t(copy)]; }

private:
    void buildCopy(int copy);
    void showCodes();

    std::array<QLabel*, 30> m_values{}; // lbl1(0 … 29)
    std::array<QLabel*, 42> m_captions{}; // lbl(0 … 41)
    std::array<QLabel*, 2> m_date{}; // LblDate
    std::array<QLabel*, 2> m_name{}; // lblFio
    std::array<QLabel*, 2> m_losses{}; // lblPot
    std::array<QLabel*, 2> m_tariff{}; // lblTar
    std::array<QLabel*, 2> m_service{}; // lblSB
    std::array<QLineEdit*, 2> m_txtOPL{};
    QList<QWidget*> m_secondCopy; // hidden with one copy
    QList<QWidget*> m_secondNote; // the second copy never carries the prepayment note
    QFrame* m_cutLine = nullptr; // Line5
    std::array<QrCodeView*, 2> m_qr{};
    std::array<QLabel*, 2> m_qrHint{};
    std::array<QLabel*, 2> m_account{}; // the personal account and the plot, under the name
    std::array<QLabel*, 2> m_payeeText{}; // whom to pay, for a payer at a bank's counter
    bool m_hasPayeeText = false;
    bool m_twoCopies = false;
    bool m_hasCode = false;
    // The payee's details are the same on every receipt of a printout: their lines are measured once.
    WrappedTextHeights m_payeeHeights;
    QString m_totalCaption; // the last line's words as the captions were last sized for
};

// The receipt window: the paper of the month chosen on the sheet, with its copy choice and its own
// print button.
class frmKvit : public ReceiptPaper
{
    Q_OBJECT
public:
    frmKvit(AppState& state, const ShownSheet& shown, MDIfrmPrint& frame);

    void Form_Load();
    // Shows or hides the second copy as "2 экземпляра" says.
    void COPIREN();
    void Command1_Click();
    void unload() override;

    const documents::Receipt& receipt() const { return m_receipt; }
    QCheckBox* twoCopies() const { return m_ch1; }
    QPushButton* printButton() const { return m_command1; }

private:
    void printLook(bool on);

    AppState& m_state;
    const SheetView& m_sheet; // the main window's, hidden while the receipt is open
    QString m_subscriber;
    MDIfrmPrint& m_frame;
    documents::Receipt m_receipt;

    QCheckBox* m_ch1 = nullptr;
    QPushButton* m_command1 = nullptr;
    bool m_unloaded = false;
};

// "Сформировать квитанцию" and "Сформировать ведомость " over a month's name on the sheet: the
// month chosen there, for the subscriber and year the main window shows: the preview frame with the
// document loaded, for the main window to hand over to.
MDIfrmPrint* receiptFrame(AppState& state, const ShownSheet& shown);
MDIfrmPrint* statementFrame(AppState& state, const ShownSheet& shown);
