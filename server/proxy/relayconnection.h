#pragma once

#include "proxy/relayside.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>

class QSocketNotifier;
class NotifierPark;
class QTcpSocket;
class RelayHost;

// One connection of a client computer ("Server", accepted) paired with its connection to the outer
// proxy ("Client"): the bytes pass unchanged both ways, the client computer's offered to the host
// before they are relayed, the outer proxy's as they are handed to the system for the client
// computer, so that the host counts what the client computer receives. It owns both sockets with
// their bounded read buffers, and runs the relay's rules on their events. It is freed with
// deleteLater, and not before the last use of it further up the stack has ended (a handler of its
// events, a host call on its behalf; see Hold): the host may wait inside a call (a message box), and
// a deleteLater made during that wait would run in the wait, under the socket's own event.
class RelayConnection final : public QObject
{
    Q_OBJECT

public:
    // Each side reads no more than this ahead of what it relays; reading the client computer's side
    // also stops while the outer side has more than this waiting to be written.
    static constexpr qint64 MaxPendingBytes = 1024 * 1024;
    // The most read from one side at a time. The host is asked about the outer proxy's bytes as
    // the client computer's connection hands them to the system, a chunk at most each time, so a cut
    // at an allowance comes at most a chunk past it (an allowance is set in kilobytes an hour, and
    // a club's run to megabytes). A smaller chunk cuts finer at a write and a host call each: at 64 KB
    // the relay spent about twice the CPU per megabyte it spends at 256 KB and moved half as much a
    // second (bench_relay).
    static constexpr qint64 ChunkBytes = 256 * 1024;
    // A pair whose client computer has sent nothing this long after its accept is closed: a
    // browser sends its request at once, and a peer that sends nothing only holds descriptors.
    static constexpr qint64 RequestTimeoutMs = 30 * 1000;
    // A pair that has passed no byte either way this long is closed: an idle keep-alive
    // connection, which a browser opens anew when it needs one.
    static constexpr qint64 IdleTimeoutMs = 300 * 1000;
    // A pair that has passed no byte either way this long is parked (ParkIfQuiet).
    static constexpr qint64 QuietMs = 2000;
    // While a client computer that has ended its sending is owed bytes it has not acknowledged, or
    // the end, the pair looks again this often: the system tells of neither.
    static constexpr int EndCheckMs = 20;

    // What is still open of the pair, as the overview of the trace numbers it.
    enum class PairState : qint32
    {
        Closed = 0,
        Open = 1,
        ServerOnly = 2,
        ClientOnly = 3,
    };

    class Hold;

    // Takes Server over; ClientIP is its peer's dotted address, read when it was accepted.
    RelayConnection(qint32 Index, QTcpSocket *Server, const QString &ClientIP, RelayHost &Host, QObject *parent);

    qint32 Index() const;
    QString ClientIP() const;
    // True once it has left the relay: its sockets are closed and its rules do nothing more.
    bool IsUnloaded() const;
    PairState State() const;
    // Both sockets are closed with nothing left to relay, as the sockets themselves know it: asks the
    // system nothing.
    bool Ended() const;

    // Connects to the outer proxy, bounded by TimeoutSeconds unless 0; false with the socket's
    // reason when it fails at once (no descriptor left, an address that cannot be used).
    bool ConnectOuter(const QString &IP, quint16 Port, qint32 TimeoutSeconds, QString &ErrText);
    // From here on the sockets' events drive the connection.
    void Wire();
    // Relays what the client computer has sent when the outer side is connected already.
    void RelayIfConnected();
    // Closes what Mode names and what has ended, and unloads the pair once nothing is left open
    // (at once for KillMode::Both); a pair that has left the relay is only traced.
    void Kill(KillMode Mode);
    // Kill for a pair the relay found by its index and whose KillLine is traced already.
    void KillFound(KillMode Mode);
    // The trace lines of a kill and of a pair that is gone.
    static QString KillLine(qint32 Index, KillMode Mode);
    static QString GoneLine(qint32 Index);
    // Why the pair has waited too long at the host's steady time NowMs (no request within
    // RequestTimeoutMs of its accept, no byte either way for IdleTimeoutMs), or the empty text.
    QString Expired(qint64 NowMs) const;
    // Parks the read notifiers of a pair that has passed nothing for QuietMs and holds nothing
    // either way: the event loop leaves its sockets until one of them stirs.
    void ParkIfQuiet(qint64 NowMs, NotifierPark &Park);

    // When it was accepted or last passed a byte, on the steady clock.
    qint64 ActiveMs() const
    {
        return m_activeMs;
    }

protected:
    // Leaves the end of the client computer's sending unread while the pair still owes it.
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Trace(const QString &Text, qint32 Type);
    void Trace(const QString &Text);
    // A text of the trace with the index put in.
    QString Label(const char *Template) const;
    RelaySide &Other(const RelaySide &Side);
    void WireSide(RelaySide &Side);
    // Bytes came from or left through Side.
    void Touch(const RelaySide &Side);
    void DataArrival(RelaySide &From);
    bool RelayChunk(const RelaySide &From);
    // Whether the outer side can take the client computer's bytes; a closed one ends the pair.
    bool OuterReady();
    bool RelayRequestChunk();
    bool RelayResponseChunk();
    // Asks the host about a chunk; false when the pair left the relay while the host had it.
    bool Offer(const std::function<bool()> &Ask, bool &Cancel);
    void OuterConnected();
    void ConnectTimedOut();
    void BytesWritten(RelaySide &Side, qint64 Bytes);
    // Offers the host what the client computer's connection has taken since the last offer; false
    // when the host cut the pair or it left the relay meanwhile.
    bool CountDelivered();
    // CountDelivered for a client computer that has ended its sending, as its side closes.
    bool CountFinal();
    // The same for what the outer proxy's connection has taken of the client computer's chunks.
    bool CountSent();
    // The host's refusal of a client computer's chunk: the pair closes.
    void RefuseRequest(const QString &URL);
    void Closed(RelaySide &Side);
    void SocketError(const RelaySide &Side);
    // An error line, then both sides closed.
    void Fail(const QString &Text);
    // Whether the client computer is still to be given anything: the answer, the rest of it or
    // its end.
    bool OwesComputer() const;
    // Looks again in EndCheckMs while the client computer's end is left unread and it is owed
    // bytes or the end.
    void WatchComputerEnd();
    // Lets the socket read the client computer's end (or reset) that was left unread.
    void ReadComputerEnd();
    // Passes the end of the client computer's sending on to the outer proxy, once all it sent has
    // been handed on.
    void EndToOuter();
    void NoteRequestHead(const QByteArray &Data);
    void CloseIfDone(const RelaySide &Side, KillMode Mode);
    void CloseIfSent(const RelaySide &Side, const RelaySide &Other);
    // Sends the client computer the close, once, after the last of the outer proxy's bytes.
    void EndToComputer();
    void Unload();

    RelayHost &m_host;
    const qint32 m_index;
    // The client computer's address, dotted.
    const QString m_clientIP;
    RelaySide m_computer;
    RelaySide m_outer;
    // Bounds the connect to the outer proxy.
    QTimer m_connectTimer;
    // The client computer's socket's read notifier, whose end of the client's sending is left
    // unread while the pair owes it (see WatchComputerEnd).
    QPointer<QSocketNotifier> m_computerReads;
    bool m_computerEndUnread = false;
    // The client computer has sent bytes since the outer proxy's last ones, and it ended its sending
    // while so: its pair stays for the answer until the outer proxy closes.
    bool m_awaitingAnswer = false;
    bool m_keepForAnswer = false;
    // The client computer has ended its sending, and the outer proxy has been told so.
    bool m_computerEnded = false;
    bool m_endedToOuter = false;
    // The head of the request now handed on has ended (a blank line came), and the last bytes of it
    // seen, where the blank line may begin.
    bool m_requestHeadEnded = false;
    QByteArray m_requestTail;
    QTimer m_endTimer;
    // The outer proxy's bytes handed to the client computer's socket, and those of them the host
    // has been offered: what the system has taken of them and no more, since what waits in the
    // socket is dropped at a cut or a reset and never reaches the client computer.
    qint64 m_handedToComputer = 0;
    qint64 m_countedToComputer = 0;

    // The client computer's bytes handed to the outer proxy's socket and those of them the host has
    // been offered, and where each chunk among them ends with the URL it starts: what the system
    // has taken and no more, since what waits in the socket is dropped when either side closes.
    struct SentChunk
    {
        qint64 End = 0;
        QString URL;
        bool Offered = false;
    };

    qint64 m_handedToOuter = 0;
    qint64 m_countedToOuter = 0;
    std::deque<SentChunk> m_sentToOuter;
    // The client computer has been sent the close after the last of the outer proxy's bytes.
    bool m_endedToComputer = false;
    // When it was accepted and last passed a byte, on the steady clock, and whether the
    // client computer has sent anything.
    const qint64 m_acceptedMs;
    qint64 m_activeMs;
    bool m_requested = false;
    // Uses of the pair under way further up the stack, and whether it left the relay meanwhile.
    qint32 m_holds = 0;
    bool m_unloaded = false;
};

// A connection in use further up the stack: by the handler of one of its events, a kill or a host
// call on its behalf. A connection unloaded meanwhile is freed once the last use ends, so whatever
// a trace line or a host call runs cannot free it under its user.
class RelayConnection::Hold final
{
public:
    explicit Hold(RelayConnection &Connection);
    ~Hold();
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    const QPointer<RelayConnection> m_connection;
};
