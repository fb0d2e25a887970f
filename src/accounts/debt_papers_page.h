#pragma once

// The papers to debtors in the preview frame, a sheet per debtor: the notices of debt with the
// payment code for the whole debt, or the numbered pre-trial claims. A claim goes into the register
// of claims beside the database once it has been printed or saved as a PDF, and only once; a run
// on an archive writes no register.

#include "accounts/debt_papers.h"
#include "documents/preview_frame.h"

#include <vector>

class QLabel;
class QTableWidget;
class QrCodeView;

class frmDebtPapers : public SheetsPage
{
    Q_OBJECT
public:
    enum class Kind { Notice, Claim };

    // `numbers` are the claims' numbers (one a paper), `payBy` the notices' pay-by date, `claimText`
    // the claims' template.
    frmDebtPapers(AppState& state, Kind kind, std::vector<documents::DebtPaper> papers,
        std::vector<int> numbers, documents::PayeeDetails payee, penalty::Date payBy, QString claimText,
        QWidget* parent = nullptr);

    QString frameCaption() const override;
    int sheetCount() const override;
    void showSheet(int sheet) override;
    PageOrientation orientation() const override;
    QString pdfName() const override;

    void printSheet() override;
    void savePdf() override;
    void printAll() override;
    void savePdfAll() override;

    Kind kind() const { return m_kind; }
    const std::vector<documents::DebtPaper>& papers() const { return m_papers; }
    // The payment code of the sheet shown (notices with payee details only).
    QrCodeView* qrCode() const { return m_qr; }
    // Claims that have gone into the register.
    int registeredCount() const;

signals:
    // Claims went into the register: the list that shows them reads it again.
    void claimsRegistered();

private:
    void buildNotice(const documents::DebtPaper& paper);
    void buildClaim(const documents::DebtPaper& paper, int number);
    int addText(const QString& name, const QString& text, int top, int left, int width, const QFont& font,
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
    int addAddresses(const documents::DebtPaper& paper, int top);
    int addMonths(const documents::DebtPaper& paper, int top);
    int addPenalty(const documents::DebtPaper& paper, int top, bool notice);
    int addPayee(const documents::DebtPaper& paper, int top, bool withCode);
    void addSignature(const QString& who, int top);
    // The claims of these sheets (1 …) after they went to paper or into a PDF.
    void registerClaims(const std::vector<int>& sheets);
    int shownSheet() const { return m_shown; }

    Kind m_kind;
    std::vector<documents::DebtPaper> m_papers;
    std::vector<int> m_numbers;
    std::vector<bool> m_registered;
    documents::PayeeDetails m_payee;
    penalty::Date m_payBy;
    QString m_claimText;
    QWidget* m_sheet = nullptr;
    QrCodeView* m_qr = nullptr;
    int m_shown = 1;
};

// Opens the papers in the preview frame; the window they come from is hidden meanwhile and shown
// again when the frame closes.
MDIfrmPrint* openDebtPapers(AppState& state, QWidget* from, frmDebtPapers* page);
