#pragma once

#include "acceptfault.h"
#include "quillmarsh_common_export.h"

#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTimer>

#include <functional>

// A port's listening socket. Qt's server makes it and words its errors, but the accepting is done
// here (see AcceptWaiting): a failure is told with its reason, accepting can pause, and every
// connection comes with its peer's dotted address, taken at its accept, before a reset can hide it.
class QUILLMARSH_COMMON_EXPORT PortListener final
{
public:
    // Accepts in one turn of the event loop: a flood of connections still lets the other events run.
    // At 64 a burst of 200 relay connections held the client port's state reports up to 47 ms
    // (p99), at 16 up to 26 ms, and accepting kept its pace (bench_relayaccept, bench_clientload).
    static constexpr int AcceptsPerTurn = 16;
    // Connections the system keeps waiting for their accept (Qt asks for 50). A club computer's
    // browsers open some hundreds at once, and a connection that finds the queue full is lost to a
    // peer that takes it for open: its first bytes are answered with a reset.
    static constexpr int ListenBacklog = 1024;

    struct Handlers
    {
        // An accepted connection: its descriptor, now the receiver's, and its peer's dotted address
        // (empty when the accept gave none).
        std::function<void(int Descriptor, const QString &Address)> Connection;
        // An accept failed with the system's Reason; true to go on accepting in this turn.
        std::function<bool(AcceptFault Fault, const QString &Reason)> Failure;
    };

    explicit PortListener(Handlers Handlers);
    ~PortListener();
    PortListener(const PortListener &) = delete;
    PortListener &operator=(const PortListener &) = delete;

    // Closes a listening socket and listens on Address:Port; false with Qt's reason.
    bool Listen(const QHostAddress &Address, quint16 Port, QString &ErrString);
    void Close();
    bool IsListening() const;
    quint16 Port() const;
    QHostAddress Address() const;
    // The listening descriptor, -1 when closed.
    int Descriptor() const;
    // Accepts what waits now, as a turn of the event loop does; a handler that pauses, closes or
    // listens anew ends it.
    void AcceptPending();
    // Stops accepting for Ms, or until Resume when Ms is 0; what waits stays in the system's queue.
    void Pause(int Ms);
    void Resume();

private:
    Handlers m_handlers;
    QTcpServer m_server;
    // A child of the server, so that it goes with it whatever is still posted for it.
    QPointer<QSocketNotifier> m_notifier;
    QTimer m_resume;
};
