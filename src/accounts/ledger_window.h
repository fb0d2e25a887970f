#pragma once

// frmRedLS "Лицевой счет": the personal accounts of every subscriber for one month of one year.
// The grid g shows a row per subscriber; the edit box txtg opens over the cell clicked; the sums
// row tS(0 … 12) stands under the grid; the tool buttons, the year selector, the month buttons and
// the find box are above it.

#include "accounts/bank_import.h"
#include "accounts/ledger.h"

#include <QWidget>
#include <array>

class AppState;
class CellEditor;
class LedgerModel;
class QComboBox;
class QFrame;
class PictureButtonFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QMenu;
class QTableView;
class QToolButton;
class TwoTierHeader;

class frmRedLS : public QWidget
{
    Q_OBJECT
public:
    // The ledger opens on the year shown on the main window and the month last viewed.
    frmRedLS(AppState& state, const QString& mainYearText, QWidget* parent = nullptr);
    ~frmRedLS() override;

    void Form_Load();
    void ZAPOLNIT1();
    void VICHISLIT1();
    void SAVE1();
    void FORMAT1();
    void WCOL();

    // The year and month shown and the sums row, as the ledger's print page takes them.
    QString shownYear() const;
    QString shownMonth() const;
    QString sumText(int j) const; // tS(j), j = 0 … 12

    QTableView* grid() const { return m_grid; }
    QMenu* rowMenu() const { return m_rowMenu; }
    LedgerModel* model() const { return m_model; }
    CellEditor* editor() const { return m_txtg; }
    QLineEdit* sumBox(int j) const { return m_tS[j]; }
    QComboBox* yearSelector() const { return m_cmb; }

    void CmdLeft_Click();
    void CmdRight_Click();
    void Cmb1_Click();
    void Cmd6_Click();
    void CmdPerenos_Click();
    // After the carry-over opened a new year: the selector lists the years held now.
    void followYears();
    void Cmdfind_Click();
    void CmdRes_Click();
    void Command2_Click();
    void Command3_Click();
    void Cmd5_Click();
    void CmdBank_Click();

    // After payments went into the table: the month shown is filled anew if it is among them.
    void refillIfShown(const std::vector<bank::YearMonth>& months);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildToolButtons();
    QWidget* buildMonthRow();
    QWidget* buildFind();
    QWidget* buildSumsRow();
    QWidget* buildStatusBarAndKeys();
    void focusFind();
    void openGuide();
    void openEditor();
    // Puts the editor's text into its cell, recomputes and stores the month; Enter then moves on
    // to the next cell. False when the text is no amount: the editor stays open over its cell.
    bool commitEditor(bool moveOn);
    // Whatever the user does next in the window, what was typed is kept first. False when it was
    // refused, and the user is back in the cell.
    bool finishEdit();
    void stepMonth(int step);
    void showMonthButtons();
    void layoutSums();
    void fitNameColumn();
    int columnWidth(int column) const;

    AppState& m_state;
    ledger::LedgerMonth m_month;
    LedgerModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QTableView* m_names = nullptr; // the names' column over the grid's left edge
    QMenu* m_rowMenu = nullptr; // the pop-up of a subscriber's row
    int m_menuRow = 0; // the record whose row it was opened on
    TwoTierHeader* m_header = nullptr;
    CellEditor* m_txtg = nullptr;
    QWidget* m_sumsRow = nullptr;
    QLabel* m_sumCaption = nullptr;
    QWidget* m_sumsClip = nullptr;
    std::array<QLineEdit*, ledger::SumBoxes> m_tS{};
    PictureButtonFrame* m_frame = nullptr;
    QComboBox* m_cmb = nullptr;
    QLabel* m_lblMes = nullptr;
    QToolButton* m_cmdLeft = nullptr;
    QToolButton* m_cmdRight = nullptr;
    QPushButton* m_cmdPerenos = nullptr;
    QLineEdit* m_txtfind = nullptr;
    QPushButton* m_cmdfind = nullptr;
    QPushButton* m_cmdRes = nullptr;
};
