#pragma once

// frmSpr "Справочник абоненты": every subscriber with the five directory fields in the grid g,
// where subscribers are added, edited, deleted and found. The main window is closed while it is
// open; closing it brings the main window back.

#include "directory/close_guard.h"

#include <QWidget>

class AppState;
class DirectoryModel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

class frmSpr : public QWidget
{
    Q_OBJECT
public:
    explicit frmSpr(AppState& state, QWidget* parent = nullptr);
    ~frmSpr() override;

    // Refills the grid from the record table; nothing is chosen afterwards.
    void ZAPOLNTABL();

    // What the controls do.
    void g_Click(int row);
    void Cmd1_Click();
    void Cmd2_Click();
    void CmdDel_Click();
    void Cmdfind_Click();
    void CmdRes_Click();
    void CmdImport_Click();
    void Command1_Click();

    QTableView* grid() const { return g; }
    // The pop-up of a subscriber's row.
    QMenu* rowMenu() const { return m_rowMenu; }
    DirectoryModel* model() const { return m_model; }

signals:
    // The window has stored its column widths and closed.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* addButton(const char* name, const QString& caption);
    void setColumnWidths();
    void storeColumnWidths();
    int paddedCaptionWidth(int column) const;
    void afterAdditions();
    // In an archive: says that it cannot be changed, and is true.
    bool refused();

    AppState& m_state;
    QTableView* g = nullptr;
    QMenu* m_rowMenu = nullptr;
    DirectoryModel* m_model = nullptr;
    QLineEdit* txtfind = nullptr;
    QPushButton* m_cmd1 = nullptr;
    QPushButton* m_cmd2 = nullptr;
    QPushButton* m_cmdDel = nullptr;
    QPushButton* m_cmdFind = nullptr;
    QPushButton* m_cmdRes = nullptr;
    // While one of the window's boxes, or one of its dialogs' boxes, waits for an answer.
    CloseGuard m_guard;
    bool m_closed = false;
};
