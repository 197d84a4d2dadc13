#pragma once

#include "core/proxycontrol.h"
#include "proxy/sparedescriptor.h"

#include <QObject>
#include <QString>
#include <QTcpServer>

#include <map>

struct RelayPair;
class QTcpSocket;

// The relay through which the client computers reach the internet. Every connection that a client
// computer opens on Port is paired with a new connection to OuterProxyIP:OuterProxyPort, and the
// bytes pass unchanged both ways. Each chunk is offered to the host first (RequestedURL for a
// client computer's chunk, ReceivedData for the outer proxy's), and a Cancel closes the pair. Only
// socket events drive it; it keeps no state about computers or traffic.
class Proxy : public QObject, public ProxyControl
{
    Q_OBJECT

public:
    static constexpr qint32 DefaultConnectTimeout = 10;
    // Reading one side stops while the other has more than this waiting to be written.
    static constexpr qint64 MaxPendingBytes = 1024 * 1024;
    // Pair indexes run from 1 to this.
    static constexpr qint32 MaxConnectionIndex = 32767;
    // Accept errors in a row after which the listener is opened again instead of resumed: its
    // socket itself has failed.
    static constexpr qint32 AcceptErrorsBeforeRestart = 8;
    // Trace line types.
    static constexpr qint32 TraceError = 1;
    static constexpr qint32 TraceInfo = 4;

    explicit Proxy(QObject *parent = nullptr);
    ~Proxy() override;

    bool Log() const;
    // Switches the trace on or off; raises no line.
    void SetLog(bool Log) override;
    qint32 Port() const override;
    // Seconds the connect to the outer proxy may take; 0 bounds it by the system's own time-out.
    qint32 ConnectTimeout() const;
    void SetConnectTimeout(qint32 Seconds) override;
    QString OuterProxyIP() const;
    void SetOuterProxyIP(const QString &IP) override;
    qint32 OuterProxyPort() const;
    void SetOuterProxyPort(qint32 Port) override;

    // Shuts down, then listens on Port on every IPv4 address; false with "Ошибка инициализации: "
    // and the reason. Port keeps the new value either way.
    bool Start(qint32 Port, QString &ErrString) override;
    // Stops listening and closes every pair.
    void Shutdown() override;
    // True while it listens (false once the listener could not be opened again after its errors,
    // or ran out of descriptors with no pair to free; a new Start revives it).
    bool IsActive() const override;

    // The indexes of the pairs in use, lowest first.
    QList<qint32> ConnectionIndexes() const;

signals:
    // One trace line; EventType 1 for an error, 4 otherwise; ConnectionID 0 for the listener.
    void Logging(const QString &Text, qint32 EventType, qint32 ConnectionID);
    // A chunk from a client computer; URL is the request's when the chunk starts a GET or POST.
    void RequestedURL(const QString &ClientIP, const QString &URL, qint32 Length, bool &Cancel);
    // A chunk from the outer proxy on its way to the client computer ClientIP.
    void ReceivedData(const QString &ClientIP, qint32 Length, bool &Cancel);

private:
    // How KillConnection treats a pair.
    enum KillMode : qint32
    {
        kmTidy = 0,
        kmBoth = 1,
        kmServerDone = 2,
        kmClientDone = 3,
    };

    void LogMessage(const QString &Text, qint32 Index, qint32 Type = TraceInfo);
    void ConnectionRequest(QTcpSocket *Socket);
    RelayPair *CreateConnection(QTcpSocket *Socket);
    qint32 GetFreeConnectionIndex() const;
    bool ClientConnect(RelayPair *Pair, QString &ErrText);
    void WireSockets(RelayPair *Pair);
    // Expected, when given, is the pair the caller means: a pair that left the table while the
    // caller's trace lines or host calls ran is not confused with a newer one under its index.
    void KillConnection(qint32 Index, qint32 Mode, const RelayPair *Expected = nullptr);
    void CheckConnections();
    void CloseConnections();
    void Unload(RelayPair *Pair);
    qint32 GetConnectionState(qint32 Index) const;
    void LogConnectionStates();
    RelayPair *Find(qint32 Index) const;
    bool IsCurrent(const RelayPair *Pair) const;

    void ServerDataArrival(RelayPair *Pair);
    bool RelayRequestChunk(RelayPair *Pair);
    void ClientDataArrival(RelayPair *Pair);
    bool RelayResponseChunk(RelayPair *Pair);
    void ClientConnected(RelayPair *Pair);
    void ConnectTimedOut(RelayPair *Pair);
    void ServerBytesWritten(RelayPair *Pair, qint64 Bytes);
    void ClientBytesWritten(RelayPair *Pair, qint64 Bytes);
    void ServerClosed(RelayPair *Pair);
    void ClientClosed(RelayPair *Pair);
    void ServerError(RelayPair *Pair);
    void ClientError(RelayPair *Pair);
    void ListenerError(QAbstractSocket::SocketError Error);
    void OutOfDescriptors();
    void RestartListener();

    bool m_log = false;
    qint32 m_port = 0;
    qint32 m_connectTimeout = DefaultConnectTimeout;
    QString m_outerProxyIP;
    qint32 m_outerProxyPort = 0;
    QTcpServer m_listener;
    SpareDescriptor m_spare;
    // Accepting waits for a pair to be freed (the process ran out of descriptors).
    bool m_acceptPaused = false;
    bool m_listenerFailed = false;
    // Accept errors since the last connection was accepted.
    qint32 m_acceptErrors = 0;
    std::map<qint32, RelayPair *> m_connections;
};
