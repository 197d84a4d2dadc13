#include "core/window/signalcloser.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
int g_Pipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: the event loop reads the byte.
    [[maybe_unused]] const ssize_t written = ::write(g_Pipe[0], &byte, 1);
}
} // namespace

SignalCloser::SignalCloser(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_Pipe) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_Pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalCloser::Drain);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

SignalCloser::~SignalCloser()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    if (g_Pipe[0] >= 0) {
        ::close(g_Pipe[0]);
        ::close(g_Pipe[1]);
        g_Pipe[0] = g_Pipe[1] = -1;
    }
}

void SignalCloser::Drain()
{
    char byte = 0;
    if (::read(g_Pipe[1], &byte, 1) == 1) {
        emit Requested();
    }
}
