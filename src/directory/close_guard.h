#pragma once

// The directory's windows must outlive the boxes they open: the command that asked goes on inside
// its window once the box is answered. While such a command runs, a close of any of the
// directory's windows (at the end of the program, or the directory closing its dialogs) waits and
// is carried out once the command has finished.

#include <QList>
#include <QPointer>

class QCloseEvent;
class QWidget;

class CloseGuard
{
public:
    // Held by a command for as long as it may open a box.
    class Asking
    {
    public:
        explicit Asking(CloseGuard& guard) : m_guard(guard) { ++m_guard.m_asking; }
        ~Asking() { m_guard.finished(); }
        Asking(const Asking&) = delete;
        Asking& operator=(const Asking&) = delete;

    private:
        CloseGuard& m_guard;
    };

    bool asking() const { return m_asking > 0; }

    // For a window's closeEvent: true when the close has to wait (the event is then ignored); the
    // window is closed again once no command is asking any more.
    bool postpone(QWidget* window, QCloseEvent* event);

private:
    void finished();

    int m_asking = 0;
    QList<QPointer<QWidget>> m_waiting;
};
