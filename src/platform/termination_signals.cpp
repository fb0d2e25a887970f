#include "platform/termination_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = { -1, -1 };

extern "C" void onSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Only a write is safe here; the event loop does the rest.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] < 0) {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);

    struct sigaction action
    { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction action
    { };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(s, &action, nullptr);
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}
