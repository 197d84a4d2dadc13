#pragma once

#include "core/proxycontrol.h"
#include "portadmission.h"
#include "proxy/notifierpark.h"
#include "proxy/relayhost.h"

#include <QObject>
#include <QString>

#include <map>
#include <set>

class RelayConnection;
enum class KillMode : qint32;

// The relay through which the client computers reach the internet. Every connection that a client
// computer opens on Port is paired with a new connection to OuterProxyIP:OuterProxyPort, and the
// bytes pass unchanged both ways. Each chunk is offered to the host (RequestArrived for a client
// computer's chunk before it is relayed, RequestedURL for its bytes as they are handed to the
// system for the outer proxy, ReceivedData for the outer proxy's bytes as they are handed to the
// system for the client computer), and a Cancel closes the pair. It keeps no state about
// seances or traffic; of the computers it knows only the club's addresses, which the host pushes
// in, and it keeps to its limits (PortAdmission with the relay's figures): a connection beyond them
// is accepted and closed at once. Socket events drive it, and one sweep a second closes the pairs
// that waited too long. The table of connections by index is its own; each RelayConnection runs the
// rules of its pair and reaches the host through the relay.
class Proxy : public QObject, public ProxyControl, private RelayHost
{
    Q_OBJECT

public:
    static constexpr qint32 DefaultConnectTimeout = 10;
    // Pair indexes run from 1 to this.
    static constexpr qint32 MaxConnectionIndex = 32767;
    // Connections at a time from one club computer: a browser opens a connection for each request
    // under way, over a hundred for a page of many pictures from many hosts, up to its whole pool
    // of 256; a club computer runs three browsers and more. When the relay is full, a club computer
    // that may use the internet takes room from the others first, then from the club computer
    // holding most, so one computer's many cannot shut another out.
    static constexpr qint32 ClubConnectionsPerAddress = 768;
    // From any other address, and from a club computer that may not use the internet now: the host
    // refuses its requests at their first chunk anyway.
    static constexpr qint32 OtherConnectionsPerAddress = 4;
    // Trace line types.
    using RelayHost::TraceError;
    using RelayHost::TraceInfo;

    explicit Proxy(QObject *parent = nullptr);
    ~Proxy() override;

    bool Log() const override;
    // Switches the trace on or off; raises no line.
    void SetLog(bool Log) override;
    qint32 Port() const override;
    // Seconds the connect to the outer proxy may take; 0 bounds it by the system's own time-out.
    qint32 ConnectTimeout() const override;
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
    // True while it listens (false once the listener could not be opened again after it failed; a
    // new Start revives it).
    bool IsActive() const override;
    // The club computers' dotted addresses: they may hold more connections than any other address.
    void SetClubAddresses(const QSet<QString> &Addresses) override;
    QSet<QString> ClubAddresses() const;

    // The indexes of the pairs in use, lowest first.
    QList<qint32> ConnectionIndexes() const;
    // The sockets of quiet pairs that the event loop leaves until they stir.
    qsizetype ParkedSockets() const;

signals:
    // One trace line; EventType 1 for an error, 4 otherwise; ConnectionID 0 for the listener.
    void Logging(const QString &Text, qint32 EventType, qint32 ConnectionID);
    // Whether the club computer ClientIP may use the internet now, asked without a chunk: only
    // then it takes room at a full relay and holds a club computer's number of connections; else
    // it is limited as any other address. Allowed enters as true.
    void InternetAllowed(const QString &ClientIP, bool &Allowed);
    // A chunk from a client computer, before it is relayed: Cancel refuses it unsent.
    void RequestArrived(const QString &ClientIP, bool &Cancel);
    // Bytes of a client computer's chunk that the outer proxy's connection has just handed to the
    // system, at most a chunk each time: the host counts what left for the outer proxy, and what is
    // thrown away unsent is never offered. URL is the request's, with the first bytes of a chunk
    // that starts a GET or POST.
    void RequestedURL(const QString &ClientIP, const QString &URL, qint32 Length, bool &Cancel);
    // Bytes from the outer proxy that the connection of the client computer ClientIP has just
    // handed to the system, at most RelayConnection::ChunkBytes each time: the host counts what
    // the client computer receives, and a Cancel drops what follows them.
    void ReceivedData(const QString &ClientIP, qint32 Length, bool &Cancel);

private:
    void LogMessage(const QString &Text, qint32 Index, qint32 Type = TraceInfo);
    void Trace(const QString &Text, qint32 Index, qint32 Type) override;
    bool MayUseInternet(const QString &ClientIP);
    bool RefuseArrival(const QString &ClientIP) override;
    bool RefuseRequest(const QString &ClientIP, const QString &URL, qint32 Length) override;
    bool RefuseResponse(const QString &ClientIP, qint32 Length) override;
    void Released(const RelayConnection &Connection) override;
    void LogConnectionStates() override;
    // A connection the limits let in; false when no pair took it.
    bool ConnectionRequest(int Descriptor, const QString &Address);
    RelayConnection *CreateConnection(int Descriptor, const QString &Address);
    // The lowest index free, 0 when none is; FreeIndex gives one back.
    qint32 GetFreeConnectionIndex();
    void FreeIndex(qint32 Index);
    // Connects the pair to the outer proxy; false with the reason.
    bool ConnectOuter(RelayConnection &Connection, QString &ErrText);
    // The walks over the table close the pair that holds the index when they reach it.
    void KillConnection(qint32 Index, KillMode Mode);
    void CloseConnections();
    RelayConnection *Find(qint32 Index) const;
    // Closes the pair of Address that passed a byte least recently, for another computer's
    // connection; false when it has none.
    bool CloseLeastActive(const QString &Address);
    // Closes the pairs past their time-outs, frees those whose sides have both closed, and parks
    // the quiet ones; asks the system nothing of the others.
    void Sweep(qint64 NowMs);

    bool m_log = false;
    qint32 m_port = 0;
    qint32 m_connectTimeout = DefaultConnectTimeout;
    QString m_outerProxyIP;
    qint32 m_outerProxyPort = 0;
    std::map<qint32, RelayConnection *> m_connections;
    // Indexes freed below the highest in use, and the one after it.
    std::set<qint32> m_freeIndexes;
    qint32 m_nextIndex = 1;
    // Its share is counted in pairs, each of two descriptors.
    PortAdmission m_admission;
    NotifierPark m_park;
};
