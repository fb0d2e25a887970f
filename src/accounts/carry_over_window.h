#pragma once

// frmPerenos "Перенос данных на следующий год": the December end balances of every subscriber,
// which the user may correct, written as the start balances of the next year's January. From
// December of the last year the database holds, the transfer opens the next year: the oldest year
// goes to an archive and leaves the database (accounts/year_rollover.h).

#include <QDialog>

class AppState;
class CarryOverModel;
class CellEditor;
class QLabel;
class QPushButton;
class QTableView;
class frmRedLS;

class frmPerenos : public QDialog
{
    Q_OBJECT
public:
    // The ledger shows December of the year before targetYear.
    frmPerenos(AppState& state, frmRedLS& ledger, int targetYear);

    QTableView* grid() const { return m_g1; }
    CarryOverModel* model() const { return m_model; }
    CellEditor* editor() const { return m_txtg1; }
    QLabel* yearLabel() const { return m_lblYear; }
    QPushButton* transferButton() const { return m_cmdOk; }
    QPushButton* clearButton() const { return m_cmdClear; }

    void CmdOk_Click();
    void CmdClear_Click();

signals:
    // The database holds other years now: the year selectors must list them.
    void yearsMovedOn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void openEditor();
    // Puts the box's text into its cell; Enter then moves down the column. False when the text is
    // no amount: the box stays open over its cell.
    bool commitEditor(bool moveOn);
    // Whatever the user does next, what was typed is kept first (false: refused, back in the cell).
    bool finishEdit();
    // The transfer into a year the database does not hold yet.
    // "<archive>.rekv": the payee details beside a new archive (documents/payee_file.h).
    void keepPayeeBeside(const std::string& archivePath);
    void openNextYear();

    AppState& m_state;
    int m_targetYear;
    CarryOverModel* m_model = nullptr;
    QTableView* m_g1 = nullptr;
    CellEditor* m_txtg1 = nullptr;
    QLabel* m_lblYear = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdClear = nullptr;
    // Corrections made since the window opened or since the last transfer.
    bool m_corrected = false;
};
