#pragma once

// frmCloseMonth "Закрыть месяц": closes every month up to a chosen one; frmReopenMonth "Открыть
// месяц для исправления": opens a closed month again with a typed reason (accounts/month_closing.h).

#include <QDialog>
#include <functional>

class AppState;
class QComboBox;
class QLabel;
class QLineEdit;

class frmCloseMonth : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Close, Reopen };
    // `changed` runs after months were closed or opened, so that the windows show them anew.
    frmCloseMonth(AppState& state, Mode mode, std::function<void()> changed, QWidget* parent = nullptr);

    QComboBox* cmbMonth = nullptr;
    QComboBox* cmbYear = nullptr;
    QLineEdit* txtReason = nullptr; // only to reopen
    QLabel* lblState = nullptr;

private:
    void CmdOk_Click();

    AppState& m_state;
    Mode m_mode;
    std::function<void()> m_changed;
};
