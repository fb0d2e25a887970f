#pragma once

// The ledger printout frmPrint1: the personal accounts of one month, 33 rows to a landscape
// sheet, under a header of captions and rules that the grid's columns line up with, and the
// column sums after the last subscriber.

#include "documents/preview_frame.h"
#include "documents/sheets.h"

#include <QColor>
#include <array>

class AppState;
class QLabel;
class QTableWidget;

// What the ledger hands to its printout.
struct LedgerPrintRequest
{
    QString year; // the ledger's year text
    QString month; // the ledger's month caption
    int ledgerBase = 0;
    documents::LedgerSums sums; // the texts of the sum boxes tS(0 … 12)
};

class frmPrint1 : public SheetsPage
{
    Q_OBJECT
public:
    frmPrint1(AppState& state, const documents::LedgerSums& sums, QWidget* parent = nullptr);

    void Form_Load();
    QString frameCaption() const override;
    int sheetCount() const override;
    void showSheet(int sheet) override;
    PageOrientation orientation() const override;
    QString pdfName() const override;
    void paperLook(bool on) override;

    QTableWidget* grid() const { return m_grid; }
    // Header captions Label1(2 … 16).
    QLabel* caption(int index) const { return m_captions[index - 2]; }

private:
    // The captions in black for paper, and back in their screen colours.
    void paperColours();
    void screenColours();

    documents::LedgerSums m_sums;
    QLabel* m_date = nullptr;
    QLabel* m_sheet = nullptr;
    std::array<QLabel*, 15> m_captions{};
    QTableWidget* m_grid = nullptr;
};

// Opens the printout of the ledger's month in the preview frame. The ledger window is hidden while
// the printout is open and shown again when it closes.
MDIfrmPrint* openLedgerPrint(AppState& state, QWidget* ledgerWindow, const LedgerPrintRequest& request);
