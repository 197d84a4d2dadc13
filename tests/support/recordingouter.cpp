#include "recordingouter.h"

#include <QTest>

RecordingOuter::RecordingOuter()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            auto peer = std::make_shared<Peer>();
            peer->Socket = socket;
            m_peers.append(peer);
            connect(socket, &QTcpSocket::readyRead, this, [this, peer] { Read(*peer); });
            connect(socket, &QTcpSocket::disconnected, this, [peer] { peer->Closed = true; });
        }
    });
    m_server.listen(QHostAddress(QHostAddress::LocalHost));
}

RecordingOuter::~RecordingOuter()
{
    for (const auto &peer : std::as_const(m_peers)) {
        peer->Socket->disconnect(this);
        peer->Socket->abort();
    }
}

void RecordingOuter::Read(Peer &Peer)
{
    if (Peer.Reading) {
        Peer.Received += Peer.Socket->readAll();
    }
}

quint16 RecordingOuter::Port() const
{
    return m_server.serverPort();
}

qsizetype RecordingOuter::Count() const
{
    return m_peers.size();
}

QByteArray RecordingOuter::Received(qsizetype Connection) const
{
    return m_peers.value(Connection) ? m_peers.at(Connection)->Received : QByteArray();
}

bool RecordingOuter::IsClosed(qsizetype Connection) const
{
    return m_peers.value(Connection) && m_peers.at(Connection)->Closed;
}

qint64 RecordingOuter::Pending(qsizetype Connection) const
{
    return m_peers.value(Connection) ? m_peers.at(Connection)->Socket->bytesToWrite() : 0;
}

quint16 RecordingOuter::PeerPort(qsizetype Connection) const
{
    return m_peers.value(Connection) ? m_peers.at(Connection)->Socket->peerPort() : 0;
}

void RecordingOuter::Send(qsizetype Connection, const QByteArray &Bytes)
{
    if (m_peers.value(Connection)) {
        m_peers.at(Connection)->Socket->write(Bytes);
    }
}

void RecordingOuter::Close(qsizetype Connection)
{
    if (m_peers.value(Connection)) {
        m_peers.at(Connection)->Socket->disconnectFromHost();
    }
}

void RecordingOuter::SetReading(qsizetype Connection, bool Reading)
{
    if (const auto peer = m_peers.value(Connection)) {
        peer->Reading = Reading;
        peer->Socket->setReadBufferSize(Reading ? 0 : 1);
        Read(*peer);
    }
}

bool RecordingOuter::WaitForCount(qsizetype Count, int TimeoutMs) const
{
    return QTest::qWaitFor([&] { return m_peers.size() >= Count; }, TimeoutMs);
}

bool RecordingOuter::WaitForBytes(qsizetype Connection, qsizetype Count, int TimeoutMs) const
{
    return QTest::qWaitFor([&] { return Received(Connection).size() >= Count; }, TimeoutMs);
}

bool RecordingOuter::WaitForClose(qsizetype Connection, int TimeoutMs) const
{
    return QTest::qWaitFor([&] { return IsClosed(Connection); }, TimeoutMs);
}
