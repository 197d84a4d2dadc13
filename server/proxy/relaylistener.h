#pragma once

#include "acceptwaiting.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QSocketNotifier;

// The relay's listening socket on every IPv4 address, accepting by itself (see AcceptWaiting): a
// QTcpServer cannot run out of descriptors safely.
class RelayListener final : public QObject
{
    Q_OBJECT

public:
    // Connections waiting in the system before it refuses more, as QTcpServer asks for.
    static constexpr int Backlog = 50;
    // The most accepted in one turn of the event loop: a flood of connections does not hold up the
    // other sockets' events; the rest is accepted in the next turns.
    static constexpr int AcceptsPerTurn = 64;

    explicit RelayListener(QObject *parent = nullptr);
    ~RelayListener() override;

    // Closes a listening socket and listens on Port; false with the system's reason.
    bool Listen(quint16 Port, QString &ErrString);
    void Close();
    bool IsListening() const;
    // The listening descriptor, -1 when closed.
    int Descriptor() const;
    // Stops or resumes accepting; what waits meanwhile stays in the system's queue.
    void SetAccepting(bool Accepting);

signals:
    // A connection accepted: its descriptor, which the receiver owns from now on, and the peer's
    // dotted address, read at the accept so that it stays known after the peer has gone.
    void Accepted(int Descriptor, const QString &Address);
    void AcceptFailed(AcceptFault Fault, const QString &Reason);

private:
    void AcceptPending();

    int m_descriptor = -1;
    QPointer<QSocketNotifier> m_notifier;
};
