#include "proxy/relaylistener.h"

#include <QHostAddress>
#include <QSocketNotifier>

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
    connect(m_notifier, &QSocketNotifier::activated, this, &RelayListener::AcceptPending);
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

void RelayListener::AcceptPending()
{
    const QPointer<RelayListener> self(this);
    const int listener = m_descriptor;
    AcceptWaiting(listener,
                  AcceptsPerTurn,
                  {.StillListening = [&] { return self && m_descriptor == listener; },
                   .Connection =
                       [this](int Descriptor, const sockaddr *Peer) {
                           emit Accepted(Descriptor, Peer ? QHostAddress(Peer).toString() : QString());
                       },
                   .Failure =
                       [this](AcceptFault Fault, int Error) {
                           emit AcceptFailed(Fault, SystemText(Error));
                           return Fault == AcceptFault::Connection;
                       }});
}
