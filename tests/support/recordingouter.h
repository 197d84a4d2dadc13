#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// An outer proxy inside the test process: it accepts every connection on 127.0.0.1, records what
// each one sends, and sends back what the test tells it to. Since the relay does not read HTTP,
// any bytes will do. Waits process events.
class RecordingOuter final : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultWaitMs = 5000;

    RecordingOuter();
    ~RecordingOuter() override;

    quint16 Port() const;
    // Connections accepted so far, in order.
    qsizetype Count() const;
    QByteArray Received(qsizetype Connection) const;
    bool IsClosed(qsizetype Connection) const;
    // The bytes that this side has not yet handed to the system.
    qint64 Pending(qsizetype Connection) const;
    // The port the connection came from: the relay's side of it.
    quint16 PeerPort(qsizetype Connection) const;
    void Send(qsizetype Connection, const QByteArray &Bytes);
    void Close(qsizetype Connection);
    // Stop reading, as a peer that does not keep up (false), or read again (true).
    void SetReading(qsizetype Connection, bool Reading);

    bool WaitForCount(qsizetype Count, int TimeoutMs = DefaultWaitMs) const;
    bool WaitForBytes(qsizetype Connection, qsizetype Count, int TimeoutMs = DefaultWaitMs) const;
    bool WaitForClose(qsizetype Connection, int TimeoutMs = DefaultWaitMs) const;

private:
    struct Peer
    {
        QTcpSocket *Socket = nullptr;
        QByteArray Received;
        bool Closed = false;
        bool Reading = true;
    };

    void Read(Peer &Peer);

    QTcpServer m_server;
    QList<std::shared_ptr<Peer>> m_peers;
};
