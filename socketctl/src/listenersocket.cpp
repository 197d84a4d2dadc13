#include "listenersocket.h"

#include "acceptwaiting.h"

namespace Pelloxan
{
namespace
{
// Accepts in one turn of the event loop: a flood of connections still lets the other events run.
constexpr int AcceptsPerTurn = 64;
// How long accepting pauses when the process has no descriptor left; the idle sweep and the peers'
// closes give some back meanwhile.
constexpr int ResumeMs = 1000;
} // namespace

ListenerSocket::ListenerSocket(Handlers Handlers)
    : m_handlers(std::move(Handlers))
{
    m_resume.setSingleShot(true);
    m_resume.setInterval(ResumeMs);
    QObject::connect(&m_resume, &QTimer::timeout, &m_server, [this] {
        if (m_notifier) {
            m_notifier->setEnabled(true);
        }
    });
}

bool ListenerSocket::Listen(const QHostAddress &Address, quint16 Port, QString &ErrString)
{
    Close();
    if (!m_server.listen(Address, Port)) {
        ErrString = m_server.errorString();
        return false;
    }
    // Qt's own notifier stays off for good; this one takes its place.
    m_server.pauseAccepting();
    m_notifier = new QSocketNotifier(m_server.socketDescriptor(), QSocketNotifier::Read, &m_server);
    QObject::connect(m_notifier, &QSocketNotifier::activated, &m_server, [this] { AcceptPending(); });
    return true;
}

void ListenerSocket::Close()
{
    m_resume.stop();
    if (m_notifier) {
        // The notifier may be the sender of the signal being handled.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    m_server.close();
}

bool ListenerSocket::IsListening() const
{
    return m_server.isListening();
}

quint16 ListenerSocket::Port() const
{
    return m_server.serverPort();
}

void ListenerSocket::AcceptPending()
{
    const int listener = static_cast<int>(m_server.socketDescriptor());
    AcceptWaiting(listener,
                  AcceptsPerTurn,
                  {.StillListening =
                       [this, listener] {
                           return m_notifier && m_notifier->isEnabled() && m_server.socketDescriptor() == listener;
                       },
                   .Connection =
                       [this](int Descriptor, const sockaddr *Peer) {
                           m_handlers.Connection(Descriptor, Peer ? QHostAddress(Peer) : QHostAddress());
                       },
                   .Failure =
                       [this](AcceptFault Fault, int) {
                           return GoesOnAfter(Fault);
                       }});
}

bool ListenerSocket::GoesOnAfter(AcceptFault Fault)
{
    switch (Fault) {
    case AcceptFault::Connection:
        return true;
    case AcceptFault::Descriptors:
        Pause();
        m_handlers.OutOfDescriptors();
        return false;
    case AcceptFault::Listener:
        break;
    }
    // The listening socket itself is broken: no accepts until the receiver has listened anew.
    m_notifier->setEnabled(false);
    QTimer::singleShot(0, &m_server, m_handlers.Failed);
    return false;
}

void ListenerSocket::Pause()
{
    m_notifier->setEnabled(false);
    m_resume.start();
}
} // namespace Pelloxan
