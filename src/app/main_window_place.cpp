// Form1: the window's place and size, remembered when it hides and restored on the screens there are.

#include "app/main_window.h"

#include "app/main_window_parts.h"
#include "app/window_place.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

using namespace mainwindow;

namespace {

// The window's place in the settings, as four numbers in pixels and whether it was maximised.
const QString PlaceLeft = QStringLiteral("Form1.Left");
const QString PlaceTop = QStringLiteral("Form1.Top");
const QString PlaceWidth = QStringLiteral("Form1.Width");
const QString PlaceHeight = QStringLiteral("Form1.Height");
const QString PlaceMaximized = QStringLiteral("Form1.Maximized");

} // namespace

void Form1::restorePlace()
{
    const SettingsStore& store = m_state.services.settings;
    const auto number
        = [&store](const QString& key) { return store.value(settings::Main, key).toStdString(); };
    const std::optional<windowplace::Rect> remembered = windowplace::fromTexts(
        number(PlaceLeft), number(PlaceTop), number(PlaceWidth), number(PlaceHeight));
    // The main screen first: a place on none of them goes to its middle.
    std::vector<windowplace::Rect> screens;
    QList<QScreen*> all = QGuiApplication::screens();
    all.removeOne(QGuiApplication::primaryScreen());
    all.prepend(QGuiApplication::primaryScreen());
    for (const QScreen* screen : all) {
        if (!screen)
            continue;
        const QRect free = screen->availableGeometry();
        screens.push_back({ free.x(), free.y(), free.width(), free.height() });
    }
    // By default the whole sheet shows without scrolling, no wider than it needs (the scroller on
    // its own would ask for far less).
    const QSize content(m_background->minimumSizeHint().width(), m_background->sizeHint().height());
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    QSize wanted = QSize(content.width(), content.height() + bars).expandedTo(minimumSize());
    // On a screen narrower than the sheet the window scrolls sideways, and the scroll bar takes
    // room of its own below the year's totals.
    if (!screens.empty() && wanted.width() > screens.front().width) {
        if (const auto* scroller = qobject_cast<QScrollArea*>(centralWidget()))
            wanted.rheight() += scroller->horizontalScrollBar()->sizeHint().height();
    }
    const windowplace::Rect place
        = windowplace::choosePlace(remembered, screens, wanted.width(), wanted.height());
    setGeometry(place.x, place.y, place.width, place.height);
    if (remembered && storedInteger(store, PlaceMaximized, 0) == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void Form1::storePlace()
{
    // A window never shown has no place of its own yet.
    if (!testAttribute(Qt::WA_WState_Created))
        return;
    const QRect place = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (place.isEmpty())
        return;
    SettingsStore& store = m_state.services.settings;
    store.setValue(settings::Main, PlaceLeft, QString::number(place.x()));
    store.setValue(settings::Main, PlaceTop, QString::number(place.y()));
    store.setValue(settings::Main, PlaceWidth, QString::number(place.width()));
    store.setValue(settings::Main, PlaceHeight, QString::number(place.height()));
    store.setValue(settings::Main, PlaceMaximized, isMaximized() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Form1::hideEvent(QHideEvent* event)
{
    // Hidden for the ledger or the chart, or closed: shown again, it comes back to this place.
    if (!event->spontaneous())
        storePlace();
    QMainWindow::hideEvent(event);
}
