#pragma once

// The system's requests that the program end reach it as a Qt signal on the user-interface
// thread, so that it can close its windows as their close boxes would. On POSIX systems they are
// SIGTERM, SIGINT and SIGHUP (log-out, shutdown, Ctrl+C); on Windows Ctrl+C, Ctrl+Break and the
// close of the console window a copy started from one has, and the end of the session (log-off,
// shut-down), which Qt delivers to the application.

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

#ifndef _WIN32
private:
    void readPending();
    QSocketNotifier* m_notifier = nullptr;
#endif
};
