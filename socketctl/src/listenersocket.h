#pragma once

#include "acceptfault.h"

#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTimer>

#include <functional>

namespace Pelloxan
{
// The control's listener. Qt's server makes the listening socket and its error texts, but the
// accepting is done here (see AcceptWaiting): a failure for want of descriptors pauses accepting for
// a while, and every connection comes with the address it came from, taken at its accept, before a
// reset can hide it.
class ListenerSocket final
{
public:
    struct Handlers
    {
        // An accepted connection: its descriptor, now the receiver's, and the peer's address (null
        // when the accept gave none).
        std::function<void(qintptr, const QHostAddress &)> Connection;
        // An accept failed for want of descriptors; accepting pauses for a while.
        std::function<void()> OutOfDescriptors;
        // The listening socket itself failed; the receiver may listen anew. Called on a fresh turn of
        // the event loop, so it may close the listener.
        std::function<void()> Failed;
    };

    explicit ListenerSocket(Handlers Handlers);

    bool Listen(const QHostAddress &Address, quint16 Port, QString &ErrString);
    void Close();
    bool IsListening() const;
    quint16 Port() const;

private:
    void AcceptPending();
    // Whether accepting goes on after a failed accept.
    bool GoesOnAfter(AcceptFault Fault);
    void Pause();

    Handlers m_handlers;
    QTcpServer m_server;
    // A child of the server, so that it goes with it whatever is still posted for it.
    QPointer<QSocketNotifier> m_notifier;
    QTimer m_resume;
};
} // namespace Pelloxan
