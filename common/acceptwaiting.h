#pragma once

#include "acceptfault.h"
#include "quillmarsh_common_export.h"

#include <functional>

struct sockaddr;

// What a listener does with what it accepts.
struct AcceptHandlers
{
    // False once a handler has closed the listener or listened anew: accepting stops.
    std::function<bool()> StillListening;
    // An accepted connection: its descriptor, now the receiver's, and its peer's address as the
    // accept gave it (null when it gave none), read before a reset can hide it.
    std::function<void(int Descriptor, const sockaddr *Peer)> Connection;
    // An accept failed with the system's Error; true to go on accepting.
    std::function<bool(AcceptFault Fault, int Error)> Failure;
};

// Accepts the connections waiting on the non-blocking socket Listener, at most Most of them so that
// a flood leaves the other events their turn, until none waits. A listener has to accept by itself:
// Qt's socket engine keeps only the first error it meets, the "try again" that ends every round of
// accepts, so at the descriptor limit it took each failure for that, neither paused nor reported,
// and its notifier fired again at once, thousands of times a second.
QUILLMARSH_COMMON_EXPORT void AcceptWaiting(int Listener, int Most, const AcceptHandlers &Handlers);
