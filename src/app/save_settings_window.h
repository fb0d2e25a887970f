#pragma once

// frmTunSave "Параметры сохранения": autosave every two minutes on or off.

#include <QDialog>

class AppState;
class Form1;
class QCheckBox;

class frmTunSave : public QDialog
{
    Q_OBJECT
public:
    frmTunSave(AppState& state, Form1& mainWindow);

    QCheckBox* ChSave1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void CmdOk_Click();
    void storeAndRelease();

    AppState& m_state;
    Form1& m_main;
    bool m_stored = false;
};
