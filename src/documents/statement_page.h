#pragma once

// The meter-reading statement frmPrint2: every subscriber with the meter reading at the start of
// the chosen month and an empty column to write the new reading in, 53 to a sheet.

#include "documents/preview_frame.h"

class AppState;
class QLabel;
class QTableWidget;

class frmPrint2 : public SheetsPage
{
    Q_OBJECT
public:
    frmPrint2(AppState& state, QWidget* parent = nullptr);

    void Form_Load();
    QString frameCaption() const override;
    int sheetCount() const override;
    void showSheet(int sheet) override;
    PageOrientation orientation() const override;
    QString pdfName() const override;
    void unload() override;

    QTableWidget* grid() const { return m_grid; }

private:
    QLabel* m_date = nullptr;
    QLabel* m_sheet = nullptr;
    QTableWidget* m_grid = nullptr;
};
