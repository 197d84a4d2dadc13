#include "proxy/relaylistener.h"

#include <QHostAddress>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
QString SystemText(int Error)
{
    return QString::fromLocal8Bit(strerror(Error));
}
} // namespace

RelayListener::RelayListener(QObject *parent)
    : QObject(parent)
{
}

RelayListener::~RelayListener()
{
    Close();
}

bool RelayListener::Listen(quint16 Port, QString &ErrString)
{
    Close();
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        ErrString = SystemText(errno);
        return false;
    }
    // A port whose last connections wait out their close (TIME_WAIT) can be listened on again at once.
    const int reuse = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0
        || ::bind(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(descriptor, Backlog) != 0) {
        ErrString = SystemText(errno);
        ::close(descriptor);
        return false;
    }
    m_descriptor = descriptor;
    m_notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &RelayListener::AcceptWaiting);
    return true;
}

void RelayListener::Close()
{
    if (m_notifier) {
        // Closing may come from a handler of the notifier's own event.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

bool RelayListener::IsListening() const
{
    return m_descriptor >= 0;
}

int RelayListener::Descriptor() const
{
    return m_descriptor;
}

void RelayListener::SetAccepting(bool Accepting)
{
    if (m_notifier) {
        m_notifier->setEnabled(Accepting);
    }
}

void RelayListener::AcceptWaiting()
{
    const QPointer<RelayListener> self(this);
    const int listener = m_descriptor;
    // A handler may close the listener, open it anew or delete it: each pass checks.
    for (int attempt = 0; attempt < AcceptsPerTurn && self && m_descriptor == listener; ++attempt) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int descriptor =
            ::accept4(listener, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            emit Accepted(descriptor, QHostAddress(ntohl(peer.sin_addr.s_addr)).toString());
            continue;
        }
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            return;
        }
        const AcceptFault fault = AcceptFaultOf(error);
        emit AcceptFailed(fault, SystemText(error));
        if (fault != AcceptFault::Connection) {
            return;
        }
    }
}
