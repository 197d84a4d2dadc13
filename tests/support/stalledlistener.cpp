#include "stalledlistener.h"

#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
void CloseDescriptor(int &Descriptor)
{
    if (Descriptor >= 0) {
        ::close(Descriptor);
        Descriptor = -1;
    }
}
} // namespace

StalledListener::StalledListener()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0
        || ::listen(m_listener, 0) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        CloseDescriptor(m_listener);
        return;
    }
    m_port = ntohs(address.sin_port);
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(m_filler, reinterpret_cast<sockaddr *>(&address), length) != 0) {
        CloseDescriptor(m_filler);
        CloseDescriptor(m_listener);
    }
}

StalledListener::~StalledListener()
{
    CloseDescriptor(m_accepted);
    CloseDescriptor(m_filler);
    CloseDescriptor(m_listener);
}

bool StalledListener::IsReady() const
{
    return m_listener >= 0 && m_filler >= 0;
}

quint16 StalledListener::Port() const
{
    return m_port;
}

void StalledListener::Release()
{
    int first = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    CloseDescriptor(first);
}

void StalledListener::ReadAvailable()
{
    if (m_accepted < 0) {
        m_accepted = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    }
    if (m_accepted < 0) {
        return;
    }
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::recv(m_accepted, buffer, sizeof buffer, 0)) > 0) {
        m_received.append(buffer, got);
    }
}

QByteArray StalledListener::ReadUntil(const QByteArray &Ending, int TimeoutMs)
{
    // The caller compares what arrived; a time-out shows there as the missing ending.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            ReadAvailable();
            return m_received.endsWith(Ending);
        },
        TimeoutMs));
    return m_received;
}
