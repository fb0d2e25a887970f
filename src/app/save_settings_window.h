#pragma once

// frmTunSave "Параметры сохранения": autosave every two minutes on or off, and the automatic
// backups (app/automatic_backup.h) on or off, in "Резервные копии" beside the database or a folder
// the user types.

#include <QDialog>

class AppState;
class Form1;
class QCheckBox;
class QLineEdit;

class frmTunSave : public QDialog
{
    Q_OBJECT
public:
    frmTunSave(AppState& state, Form1& mainWindow);

    QCheckBox* ChSave1 = nullptr;
    QCheckBox* ChAutoBackup = nullptr;
    // Empty for the default folder.
    QLineEdit* TxtAutoBackupDir = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void CmdOk_Click();
    void storeAndRelease();

    AppState& m_state;
    Form1& m_main;
    bool m_stored = false;
    bool m_accepted = false;
};
