#pragma once

// frmSplit "Разделение платежа": one payment divided between subscribers (a payer who pays for
// the plots of a family, "участки 11, 12"), each part a sum of its own; the parts go into the
// import's row only when they add up to the payment to the kopeck.

#include <QDialog>
#include <vector>

class AppState;
class BankModel;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class frmSplit : public QDialog
{
    Q_OBJECT
public:
    // Opens on the plots the purpose names, the sum in even parts; else on the row's subscriber
    // and an empty second part.
    frmSplit(AppState& state, BankModel& model, int row, QWidget* parent);

    int partCount() const { return int(m_parts.size()); }
    QComboBox* subscriber(int part) const { return m_parts[std::size_t(part)].subscriber; }
    QLineEdit* sum(int part) const { return m_parts[std::size_t(part)].sum; }
    QPushButton* addButton() const { return m_cmdAdd; }
    QPushButton* okButton() const { return m_cmdOk; }

    void addPart(int record = 0, const QString& sum = {});
    void CmdOk_Click();

private:
    void showRest();

    struct PartControls
    {
        QComboBox* subscriber = nullptr;
        QLineEdit* sum = nullptr;
    };
    AppState& m_state;
    BankModel& m_model;
    int m_row = 0;
    std::vector<PartControls> m_parts;
    QGridLayout* m_grid = nullptr;
    QLabel* m_lblRest = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdOk = nullptr;
};
