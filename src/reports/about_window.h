#pragma once

// frmAbout: the program's name and version, and the links to its web page and to its author's
// mailbox. OK or a click anywhere outside closes it.

#include <QDialog>

class AppState;
class QLabel;

namespace about {
QString version();
QString webAddress();
QString mailAddress();
// The mail link: a new message to the program's mailbox with the subject already filled in.
QString mailLink();
} // namespace about

class frmAbout : public QDialog
{
    Q_OBJECT
public:
    frmAbout(AppState& state, QWidget& opener);

    QLabel* Label1 = nullptr; // web address
    QLabel* Label2 = nullptr; // e-mail address

protected:
    bool event(QEvent* event) override;

private:
    AppState& m_state;
    bool m_wasActive = false;
};
