#include "platform/termination_signals.h"

#include <QGuiApplication>
#include <QPointer>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

QPointer<TerminationSignals> g_listener;

// Runs on a thread of the system's own: the request goes to the user-interface thread as an
// event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    TerminationSignals* listener = g_listener.data();
    if (!listener)
        return FALSE;
    QMetaObject::invokeMethod(
        listener, [listener, event] { emit listener->terminationRequested(int(event)); },
        Qt::QueuedConnection);
    // Once the handler of these returns the system ends the process at once: it waits here, and
    // the program ends it when its windows have closed (or the system does after its grace time).
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    g_listener = this;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);

    // A program with windows hears of a log-off or shut-down from the session's messages: Qt asks
    // it to commit its data, and when the session does end it says the application is about to
    // quit, after which the process is gone. Both are answered on the spot; the second does
    // nothing when the first has already ended the run.
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        return;
#if QT_CONFIG(sessionmanager)
    connect(
        application, &QGuiApplication::commitDataRequest, this,
        [this](QSessionManager&) { emit terminationRequested(WM_QUERYENDSESSION); }, Qt::DirectConnection);
#endif
    connect(
        application, &QCoreApplication::aboutToQuit, this,
        [this] { emit terminationRequested(WM_ENDSESSION); }, Qt::DirectConnection);
}

TerminationSignals::~TerminationSignals()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_listener = nullptr;
}
