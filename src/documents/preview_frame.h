#pragma once

// The print preview frame MDIfrmPrint: one printable page at a time (the ledger printout, the
// meter-reading statement or the receipt), its toolbar, and the sheet buttons of the long pages.

#include "platform/printer.h"

#include <QMainWindow>
#include <QWidget>
#include <array>

class AppState;
class QAction;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolBar;

// A page shown in the frame. Pages are laid out like the paper they print on: fifteen twips to
// the pixel.
class PreviewPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual QString frameCaption() const = 0;
    // Sheets of a long page; 0 for a page that has no sheets.
    virtual int sheetCount() const { return 0; }
    virtual void showSheet(int sheet) { Q_UNUSED(sheet); }
    // The toolbar's commands; a page that prints itself has no toolbar. The sheet shown, or every
    // sheet in order as one document.
    virtual void printSheet() { }
    virtual void savePdf() { }
    virtual void printAll() { }
    virtual void savePdfAll() { }
    // How the page goes on paper: its orientation, its look there (on) and back on screen (off),
    // and the name proposed for its PDF.
    virtual PageOrientation orientation() const { return PageOrientation::Portrait; }
    virtual void paperLook(bool on) { Q_UNUSED(on); }
    virtual QString pdfName() const { return QString(); }
    // The page goes with the frame.
    virtual void unload() { }
};

// A page of numbered sheets (the statement, the ledger printout): the toolbar prints or saves the
// sheet shown, or all of them as one document.
class SheetsPage : public PreviewPage
{
    Q_OBJECT
public:
    SheetsPage(AppState& state, QWidget* parent);

    void printSheet() override;
    void savePdf() override;
    void printAll() override;
    void savePdfAll() override;

protected:
    AppState& m_state;
};

class MDIfrmPrint : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int PageButtonCount = 20;

    explicit MDIfrmPrint(const AppState& state, QWidget* parent = nullptr);

    // Takes the page, shows its first sheet's buttons and sizes the frame to it.
    void setPage(PreviewPage* page);
    PreviewPage* page() const { return m_page; }

    QToolBar* toolbar() const { return m_toolbar; }
    QPushButton* pageButton(int n) const { return m_buttons[n - 1]; }
    QSpinBox* pageSelector() const { return m_selector; }
    int shownSheet() const { return m_shownSheet; }

    // Sheet n of the page: its button (if it has one) stays pressed until another sheet is shown.
    void Cmd1_Click(int n);
    // The receipt prints from a button of its own: no toolbar, no sheets.
    void hideToolbar();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPageButtons(int sheets);
    void markShownSheet(int n);

    const AppState& m_state;
    PreviewPage* m_page = nullptr;
    QToolBar* m_toolbar = nullptr;
    QAction* m_printAll = nullptr;
    QAction* m_savePdfAll = nullptr;
    QWidget* m_pageRow = nullptr;
    std::array<QPushButton*, PageButtonCount> m_buttons{};
    QLabel* m_selectorCaption = nullptr;
    QSpinBox* m_selector = nullptr;
    QScrollArea* m_area = nullptr;
    int m_shownSheet = 1;
};
