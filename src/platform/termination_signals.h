#pragma once

// SIGTERM, SIGINT and SIGHUP (log-out, shutdown, Ctrl+C) reach the program as a Qt signal on the
// user-interface thread, so that it can close its windows as their close boxes would.

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

private:
    void readPending();
    QSocketNotifier* m_notifier = nullptr;
};
