#pragma once

// What the add and edit dialogs of the directory share: the five boxes txt1(0 … 4) for the full
// name, address, telephone, meter type and note, yellow while they have the focus, Enter moving
// on to the next box and from the last one to the button Cmd1, which is enabled only while a name
// is typed, and the warning about a name that another subscriber already has.

#include "directory/close_guard.h"
#include "directory/directory.h"

#include <QDialog>
#include <QPalette>
#include <array>

class AppState;
class QLineEdit;
class QPushButton;
class QGridLayout;

class SubscriberForm : public QDialog
{
    Q_OBJECT
public:
    QLineEdit* box(int j) const { return m_txt[j]; }
    QPushButton* Cmd1() const { return m_cmd1; }

    directory::Entry texts() const;

protected:
    // The guard is the directory's: its window waits for the dialog's boxes too.
    SubscriberForm(AppState& state, QWidget* opener, CloseGuard& guard, const QString& name,
        const QString& caption, const QString& cmd1Caption);

    void setTexts(const directory::Entry& texts);
    // The row of buttons under the boxes; Cmd1 is already in it.
    QLayout* buttonRow() const;
    void focusNameBox();

    // The records whose names count as taken, 1 … this row.
    virtual int lastTakenRow() const = 0;
    // Whether the name is a new one, and so worth the check for a repeat and held to the length
    // limit (the edit dialog leaves the subscriber's present name alone).
    virtual bool isNewName(const QString& name) const;
    // A new name longer than the limit is cut to it, with a message. True when it was cut: what
    // the box now holds is for the operator to see before anything is stored.
    bool capName();

    bool eventFilter(QObject* watched, QEvent* event) override;

    AppState& m_state;
    CloseGuard& m_guard;

private:
    void updateCmd1();
    void boxLeft(int j);
    void warnAboutTakenName();

    std::array<QLineEdit*, directory::EntryFieldCount> m_txt{};
    QPushButton* m_cmd1 = nullptr;
    QLayout* m_buttons = nullptr;
    QPalette m_normalPalette;
    // Set once the name has been warned about: leaving the box again without changing the name
    // warns no more, so the warning never stands in the way of storing.
    bool m_warned = false;
};
