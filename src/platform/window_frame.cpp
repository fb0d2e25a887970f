#include "platform/window_frame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {

// A title bar and thin borders, as most window managers draw them.
constexpr QSize UsualFrame(8, 32);

QSize sizeOf(const QMargins& margins)
{
    return { margins.left() + margins.right(), margins.top() + margins.bottom() };
}

} // namespace

QSize windowFrameSize(const QWidget* window)
{
    if (window->isVisible() && window->windowHandle())
        return sizeOf(window->windowHandle()->frameMargins());
    for (const QWindow* shown : QGuiApplication::topLevelWindows()) {
        if (shown->isVisible() && shown->type() == Qt::Window)
            return sizeOf(shown->frameMargins());
    }
    return UsualFrame;
}
