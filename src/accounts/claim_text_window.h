#pragma once

// frmClaimText "Текст претензии": the text of the claims to debtors, with its fields, kept in the
// settings. The program's own text stands until the user writes another; a field the program does not
// know is printed as typed, and the window says so while it is being typed.

#include <QDialog>

class AppState;
class QLabel;
class QPlainTextEdit;
class SettingsStore;

namespace claims {

// Settings key (section "Nastr"); empty or missing: the program's own text.
inline const QString TemplateKey = QStringLiteral("ClaimText");

QString readTemplate(const SettingsStore& settings);

} // namespace claims

class frmClaimText : public QDialog
{
    Q_OBJECT
public:
    frmClaimText(AppState& state, QWidget* parent = nullptr);

    QPlainTextEdit* textBox() const { return m_text; }
    QLabel* warning() const { return m_warning; }

    void CmdSave_Click();
    // The program's own text in the box (stored only with "Сохранить").
    void CmdDefault_Click();

private:
    void showUnknownFields();

    AppState& m_state;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_warning = nullptr;
};
