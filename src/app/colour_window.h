#pragma once

// frmColor "Настройка цвета таблицы": the colours of the odd and even months' rows and of the
// focused cell.

#include <QDialog>

class AppState;
class Form1;
class QLabel;
class QPushButton;

class frmColor : public QDialog
{
    Q_OBJECT
public:
    frmColor(AppState& state, Form1& mainWindow);

    // The working colours, shown in the previews Lb1 … Lb3 and stored only by Ok.
    quint32 W1 = 0;
    quint32 W2 = 0;
    quint32 W3 = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void chooseColour(int which);
    void CmdUmolch_Click();
    void CmdOk_Click();
    void showPreviews();
    void release();

    AppState& m_state;
    Form1& m_main;
    QLabel* m_previews[3] = {};
    QPushButton* m_choose[3] = {};
    bool m_released = false;
};
