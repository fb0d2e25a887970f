#pragma once

// frmTunLs "Настройки в лицевом счете": where Enter goes after a ledger cell is committed.

#include <QDialog>

class AppState;
class QRadioButton;

class frmTunLs : public QDialog
{
    Q_OBJECT
public:
    frmTunLs(AppState& state, QWidget& ledger);

    QRadioButton* Op1 = nullptr; // down
    QRadioButton* Op2 = nullptr; // right

private:
    void CmdOk_Click();

    AppState& m_state;
};
