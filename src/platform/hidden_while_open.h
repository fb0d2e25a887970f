#pragma once

// A window that gives its place to another one it opened: hidden while that one lives, shown
// again when it is gone (unless it went first itself).

#include <QObject>
#include <QPointer>
#include <QWidget>

inline void hideWhileOpen(QWidget* window, QObject* opened)
{
    if (!window)
        return;
    QPointer<QWidget> hidden = window;
    hidden->hide();
    QObject::connect(opened, &QObject::destroyed, hidden, [hidden] {
        if (hidden)
            hidden->show();
    });
}
