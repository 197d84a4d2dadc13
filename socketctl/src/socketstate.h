#pragma once

#include "messagepacks.h"

#include <QByteArray>
#include <QDateTime>
#include <QPointer>
#include <QTcpSocket>

namespace Pelloxan
{
struct SlotDumpChunk;

// One connection slot: a socket of the control and its bookkeeping. Whoever keeps a slot across a
// wait keeps the shared pointer and checks Alive afterwards, since slot numbers are reused.
struct SocketState
{
    explicit SocketState(qint32 Code)
        : Code(Code)
    {
    }

    const qint32 Code;
    bool IsOutgoing = false;
    // Some operation holds the slot: a dialog or freeing.
    bool Busy = false;
    // A send was started and its completion, error or close has not been seen yet.
    bool Sending = false;
    // Received bytes from IncommingReadPos on are not yet handled.
    QByteArray IncommingBuffer;
    qsizetype IncommingReadPos = 0;
    QDateTime LastIncommingMessageTime;
    // A receive is cutting messages out of the buffer; data arriving meanwhile waits for it.
    bool Receiving = false;
    // The last receive stopped at its batch with whole messages left in the buffer.
    bool MoreInBuffer = false;
    // Waiting for its next receive turn; the receive path holds the slot until the backlog is handled.
    bool Backlog = false;
    // Data arrived and its receive turn is posted to the event loop.
    bool TurnQueued = false;
    MessagePacks Answers;

    // Kept when the connection is made, since the socket forgets it once disconnected.
    QString RemoteIP;
    // An accepted connection counts against the limits of its address until its socket goes.
    bool Counted = false;
    // For the idle sweep, on the steady clock: when the connection was accepted, and since when the
    // buffer has held bytes that are no whole message (0: none); whether a whole message has come.
    qint64 AcceptedMs = 0;
    qint64 PendingSinceMs = 0;
    // When it was accepted or last brought bytes: the least recently active of a club computer's
    // connections gives way first when another club computer needs room.
    qint64 ActiveMs = 0;
    bool CompletedMessage = false;
    // The socket reported an error; together with a closed socket it reads as state 9.
    bool Failed = false;
    // False once the slot is freed.
    bool Alive = true;
    // Its line of the slot dump, where the dump keeps it, and what the line showed when it was made.
    QByteArray DumpLine;
    SlotDumpChunk *DumpChunk = nullptr;
    qint64 DumpSignature = -1;

    // Held by a dialog, by freeing or by the receive path (while it works and while a turn waits).
    bool IsHeld() const
    {
        return Busy || Receiving || Backlog || TurnQueued;
    }

    // The connection's socket; null once the peer has closed (a closed slot keeps only its
    // bookkeeping until it is freed) or the slot is freed. A write, flush, abort, wait or emit can
    // run the handlers that drop it, so it is asked for again after each, never kept across one.
    QTcpSocket *Socket() const
    {
        return Alive ? m_socket.data() : nullptr;
    }

    void SetSocket(QTcpSocket *Socket)
    {
        m_socket = Socket;
    }

private:
    QPointer<QTcpSocket> m_socket;
};

// The socket states in the numbers hosts and the dump use (those of the Winsock control).
constexpr qint32 StateClosed = 0;
constexpr qint32 StateConnecting = 6;
constexpr qint32 StateConnected = 7;
constexpr qint32 StateClosing = 8;
constexpr qint32 StateError = 9;

// The slot's socket state as one of the numbers above.
inline qint32 StateNumber(const SocketState &Slot)
{
    const QTcpSocket *socket = Slot.Socket();
    const QAbstractSocket::SocketState state = socket ? socket->state() : QAbstractSocket::UnconnectedState;
    switch (state) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return StateConnecting;
    case QAbstractSocket::ConnectedState:
        return StateConnected;
    case QAbstractSocket::ClosingState:
        return StateClosing;
    default:
        return Slot.Failed ? StateError : StateClosed;
    }
}

// Closed, closing or failed: nothing more can be sent or received on it.
inline bool IsClosedState(qint32 StateNumber)
{
    return StateNumber == StateClosed || StateNumber == StateClosing || StateNumber == StateError;
}

// IPv4 addresses always in dotted form, never as "::ffff:127.0.0.5".
inline QString DottedAddress(const QHostAddress &Address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = Address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : Address.toString();
}

// False for the "all addresses" wildcards, which need no binding of outgoing connections.
inline bool IsSpecificAddress(const QHostAddress &Address)
{
    return Address != QHostAddress(QHostAddress::AnyIPv4) && Address != QHostAddress(QHostAddress::Any)
           && Address != QHostAddress(QHostAddress::AnyIPv6);
}
} // namespace Pelloxan
