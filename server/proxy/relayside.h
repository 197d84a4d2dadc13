#pragma once

#include <QString>

class QTcpSocket;

// Socket states as the relay's rules read them: the numbers of the club's older sockets.
enum class RelaySocketState : qint32
{
    Closed = 0,
    Open = 1,
    Listening = 2,
    Connecting = 6,
    Connected = 7,
    Closing = 8,
};

// How a relay connection is closed: what has ended only, both sides at once, or once the client
// computer's ("Server") or the outer proxy's ("Client") side is done. The trace shows the number.
enum class KillMode : qint32
{
    Tidy = 0,
    Both = 1,
    ServerDone = 2,
    ClientDone = 3,
};

// What sets the client computer's and the outer proxy's side apart: the rules' two differences and
// the trace texts of the side's events, where %1 stands for the connection's index.
struct RelaySideKind
{
    const char *Name;
    // The mode that closes the connection when this side's peer has closed.
    KillMode DoneMode;
    // Bytes this side received before its peer closed are still relayed.
    bool RelaysAfterClose;
    // Its peer may end its sending and still read what it is sent: only a reset, or the end of both
    // ways, closes the side.
    bool HalfCloses;
    const char *Closed;
    const char *Error;
    const char *SendProgress;
    const char *SendComplete;
};

// One side of a relay connection: the client computer's or the outer proxy's socket, and what the
// two directions share in the relay's rules.
struct RelaySide final
{
    RelaySide(QTcpSocket &Socket, const RelaySideKind &Kind);

    // Open: not closed, or closed by its peer with bytes still to be relayed, in the socket's buffer
    // or still with the system.
    bool IsOpen() const;
    // The peer has closed or reset the connection: the socket is closed, or the system has had the
    // peer's close, which the socket itself learns of only at a later read. Where the peer
    // half-closes, its close is the end of both ways or a reset.
    bool PeerClosed() const;
    // The peer of a side that half-closes has ended its sending (or closed for good, which the
    // system learns only once it is sent something).
    bool PeerEnded() const;
    // The bytes of this side its peer has acknowledged, or -1 when the system does not tell.
    qint64 Acknowledged() const;
    // Nothing written to it waits: neither in the socket nor with the system, which has had each
    // byte acknowledged by the peer.
    bool Delivered() const;
    RelaySocketState State() const;
    // Closes the socket now, without the signals of a close the peer made: the rules that called it
    // go on with the other side themselves.
    void Close() const;
    // For the last bytes this side is written: the system holds back a segment it cannot fill until
    // EndWriting (or the close), so that the peer gets the end of the bytes and the close at once.
    // False with the reason.
    bool HoldLastSegment(QString &ErrText) const;
    // Sends the peer the close now, after what the system holds for it, for a side that is written
    // no more; the socket stays until the close rules close it. False with the reason.
    bool EndWriting(QString &ErrText) const;
    QString Name() const;

    // Bytes of the peer that the system has and the socket has not read yet.
    bool SystemHoldsBytes() const;

    QTcpSocket &Socket;
    const RelaySideKind &Kind;
    // A chunk of this side is with the host: a nested event for the same side waits, so the chunks
    // keep their order.
    bool Busy = false;

private:
    // The system's state of the connection; false when it does not tell.
    bool TcpState(quint8 &State, qint64 &Acknowledged) const;
};
