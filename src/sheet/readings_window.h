#pragma once

// frmReadings "Показания за месяц": the readings of one month for every subscriber in one grid g,
// typed down a column as in a spreadsheet, in record order or in the order of the round
// (ChRoute), checked as they are typed and stored into the records as the yearly sheet would.

#include "database/record_table.h"

#include <QWidget>
#include <map>
#include <vector>

class AppState;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class ReadingsModel;
namespace readings {
struct Taken;
}

class frmReadings : public QWidget
{
    Q_OBJECT
public:
    frmReadings(AppState& state, int year, int month, QWidget* parent = nullptr);
    ~frmReadings() override;

    QTableView* grid() const { return m_grid; }
    ReadingsModel* model() const { return m_model; }
    QComboBox* yearSelector() const { return m_year; }
    QComboBox* monthSelector() const { return m_month; }
    QCheckBox* routeOrder() const { return m_route; }
    // Whether something stored or moved here has not been written to the file yet.
    bool unwritten() const { return m_unwritten || m_routeChanged; }

    void CmdDate_Click();
    void CmdImport_Click();
    void CmdPaste_Click();
    void CmdPrint_Click();
    // Writes the database (and the round's order, when it changed) as one commit.
    bool CmdSave_Click();
    // Moves the current row one place up or down in the round's order.
    void moveCurrentRow(int delta);

signals:
    // The window has closed: what it stored is in the records.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // In an archive or a closed month: said, and true.
    bool refuseChange();
    void showMonth();
    void commitEditor();
    void keepBefore(int record);
    void takeImported(const std::vector<readings::Taken>& rows);
    void moveDown(int column);
    void updateStatus();

    AppState& m_state;
    ReadingsModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QComboBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    QCheckBox* m_route = nullptr;
    QLabel* m_status = nullptr;
    std::vector<int> m_routeOrder;
    bool m_routeChanged = false;
    bool m_unwritten = false;
    // The year fields of every record stored here as they were, for a close that drops the changes.
    std::map<std::pair<int, int>, std::vector<std::string>> m_before;
};
