#pragma once

// "Квитанции всем абонентам": the receipts of one month for the whole association in one print job
// or one PDF file, drawn from the same paper as the single receipt, two to an A4 page (one per
// half, a cut line between) or, with two copies, one subscriber to a page.

#include "documents/document_output.h"
#include "documents/payee.h"
#include "documents/receipt.h"

#include <QDialog>
#include <memory>
#include <vector>

class AppState;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPainter;
class QPushButton;
class QRectF;
class QrCodesAhead;
class ReceiptPaper;
class RepeatedTexts;

class ReceiptPages
{
public:
    ReceiptPages(std::vector<documents::Receipt> receipts, bool twoCopies, const QString& payBy,
        documents::PayeeDetails payee);
    ~ReceiptPages();

    int pageCount() const;
    int receiptCount() const { return int(m_receipts.size()); }
    // Draws page `page` (0 …) on the paper.
    void draw(QPainter& painter, const QRectF& paper, int page);

private:
    std::vector<documents::Receipt> m_receipts;
    bool m_twoCopies;
    documents::PayeeDetails m_payee;
    std::unique_ptr<ReceiptPaper> m_paper;
    // The receipts' payment codes, made on a second thread while the pages are drawn.
    std::unique_ptr<QrCodesAhead> m_codes;
    // The captions every receipt repeats, laid out once for the whole printout.
    std::unique_ptr<RepeatedTexts> m_texts;
};

class frmKvitAll : public QDialog
{
    Q_OBJECT
public:
    // For the month (1 … 12) of the year; the window that opens it takes no input meanwhile.
    frmKvitAll(AppState& state, QWidget& owner, const QString& year, int month);

    QComboBox* yearBox() const { return m_year; }
    QComboBox* monthBox() const { return m_month; }
    QCheckBox* onlyDue() const { return m_chDue; }
    QCheckBox* twoCopies() const { return m_ch1; }
    QLineEdit* payBy() const { return m_txtOPL; }

    void CmdPdf_Click();
    void CmdPrint_Click();

private:
    // The receipts as chosen, laid out on pages; nothing when there are none (the user is told) or
    // the user stopped the work.
    std::unique_ptr<ReceiptPages> pages();
    void storeChoices();
    documents::PrintJob job(ReceiptPages& layout) const;

    AppState& m_state;
    QComboBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    QCheckBox* m_chDue = nullptr;
    QCheckBox* m_ch1 = nullptr;
    QLineEdit* m_txtOPL = nullptr;
    QPushButton* m_cmdPdf = nullptr;
    QPushButton* m_cmdPrint = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
