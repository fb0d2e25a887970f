#pragma once

// frmPenalty "Пени": the partnership's rule for penalties on debts, kept in the settings. The notices
// and claims to debtors show the penalties when the rule is on; it is off until the user turns it on.

#include "accounts/penalty.h"

#include <QDialog>

class AppState;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class SettingsStore;

namespace penalty {

// Settings keys (section "Nastr").
inline const QString EnabledKey = QStringLiteral("PenaltyOn");
inline const QString KindKey = QStringLiteral("PenaltyKind");
inline const QString PercentKey = QStringLiteral("PenaltyPercentPerDay");
inline const QString KeyRateKey = QStringLiteral("PenaltyKeyRate");
inline const QString DivisorKey = QStringLiteral("PenaltyKeyRateDivisor");
inline const QString GraceKey = QStringLiteral("PenaltyGraceDays");

Rule readRule(const SettingsStore& settings);
void storeRule(SettingsStore& settings, const Rule& rule);

} // namespace penalty

class frmPenalty : public QDialog
{
    Q_OBJECT
public:
    frmPenalty(AppState& state, QWidget* parent = nullptr);

    QCheckBox* enabledBox() const { return m_enabled; }
    QRadioButton* percentOption() const { return m_percentOption; }
    QRadioButton* keyRateOption() const { return m_keyRateOption; }
    QLineEdit* percentBox() const { return m_percent; }
    QLineEdit* divisorBox() const { return m_divisor; }
    QLineEdit* keyRateBox() const { return m_keyRate; }
    QLineEdit* graceBox() const { return m_grace; }

    // Stores the rule as typed and closes; a value that is none is said and the window stays.
    void CmdOK_Click();

private:
    void showKind();
    bool refuse(QLineEdit* box, const QString& text);

    AppState& m_state;
    QCheckBox* m_enabled = nullptr;
    QRadioButton* m_percentOption = nullptr;
    QRadioButton* m_keyRateOption = nullptr;
    QLineEdit* m_percent = nullptr;
    QLineEdit* m_divisor = nullptr;
    QLineEdit* m_keyRate = nullptr;
    QLineEdit* m_grace = nullptr;
};
