#include "directory/close_guard.h"

#include <QCloseEvent>
#include <QTimer>
#include <QWidget>
#include <utility>

bool CloseGuard::postpone(QWidget* window, QCloseEvent* event)
{
    if (m_asking == 0)
        return false;
    event->ignore();
    if (!m_waiting.contains(window))
        m_waiting.append(window);
    return true;
}

void CloseGuard::finished()
{
    if (--m_asking > 0)
        return;
    const QList<QPointer<QWidget>> waiting = std::exchange(m_waiting, {});
    for (const QPointer<QWidget>& window : waiting) {
        if (!window)
            continue;
        // From the event loop, once the command that asked has returned all the way.
        QTimer::singleShot(0, window.data(), [window] {
            if (window && window->isVisible())
                window->close();
        });
    }
}
