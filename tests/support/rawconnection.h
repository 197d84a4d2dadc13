#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>

// One plain TCP connection of a simulated client computer, for writing bytes that the control
// would never write: cut or joined messages, garbage, pauses. Waits process events.
class RawConnection final
{
public:
    static constexpr int DefaultTimeoutMs = 3000;

    // Connects from From (any free port) to To:Port; false when not connected within TimeoutMs.
    bool Open(const QHostAddress &From, const QHostAddress &To, quint16 Port, int TimeoutMs = DefaultTimeoutMs);
    // Writes Bytes as one piece and waits until they have left.
    bool Write(const QByteArray &Bytes);
    // Waits until at least Count bytes have come back or TimeoutMs pass; returns them all.
    QByteArray WaitForBytes(qsizetype Count, int TimeoutMs = DefaultTimeoutMs);
    // True once the other side has closed the connection (waits up to TimeoutMs).
    bool WaitForClose(int TimeoutMs = DefaultTimeoutMs);
    // Every byte that has come back so far.
    QByteArray Received();
    bool IsOpen() const;
    void Close();
    // Ends the connection with a reset (SO_LINGER 0) instead of an orderly close.
    void Reset();

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};
