#include "portlistener.h"

#include "acceptwaiting.h"

#include <cstring>

namespace
{
// IPv4 addresses always dotted, never as "::ffff:127.0.0.5".
QString DottedAddress(const sockaddr *Peer)
{
    if (!Peer) {
        return {};
    }
    const QHostAddress address(Peer);
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
}
} // namespace

PortListener::PortListener(Handlers Handlers)
    : m_handlers(std::move(Handlers))
{
    m_resume.setSingleShot(true);
    QObject::connect(&m_resume, &QTimer::timeout, &m_server, [this] { Resume(); });
}

PortListener::~PortListener()
{
    Close();
}

bool PortListener::Listen(const QHostAddress &Address, quint16 Port, QString &ErrString)
{
    Close();
    m_server.setListenBacklogSize(ListenBacklog);
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

void PortListener::Close()
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

bool PortListener::IsListening() const
{
    return m_server.isListening();
}

quint16 PortListener::Port() const
{
    return m_server.serverPort();
}

QHostAddress PortListener::Address() const
{
    return m_server.serverAddress();
}

int PortListener::Descriptor() const
{
    return IsListening() ? static_cast<int>(m_server.socketDescriptor()) : -1;
}

void PortListener::AcceptPending()
{
    // A handler may close the listener, listen anew or destroy its owner: each pass asks.
    const QPointer<QTcpServer> alive(&m_server);
    const int listener = Descriptor();
    AcceptWaiting(
        listener,
        AcceptsPerTurn,
        {.StillListening =
             [this, &alive, listener] {
                 return alive && m_notifier && m_notifier->isEnabled() && Descriptor() == listener;
             },
         .Connection = [this](int Descriptor,
                              const sockaddr *Peer) { m_handlers.Connection(Descriptor, DottedAddress(Peer)); },
         .Failure =
             [this](AcceptFault Fault, int Error) {
                 return m_handlers.Failure(Fault, QString::fromLocal8Bit(strerror(Error)));
             }});
}

void PortListener::Pause(int Ms)
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
    }
    if (Ms > 0) {
        m_resume.start(Ms);
    }
}

void PortListener::Resume()
{
    m_resume.stop();
    if (m_notifier) {
        m_notifier->setEnabled(true);
    }
}
