#include "acceptwaiting.h"

#include <cerrno>
#include <sys/socket.h>

void AcceptWaiting(int Listener, int Most, const AcceptHandlers &Handlers)
{
    // A handler may close the listener, open it anew or delete its owner: each pass asks.
    for (int accepted = 0; accepted < Most && Handlers.StillListening(); ++accepted) {
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        const int descriptor =
            ::accept4(Listener, reinterpret_cast<sockaddr *>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            const bool known = size > 0 && size <= sizeof peer;
            Handlers.Connection(descriptor, known ? reinterpret_cast<const sockaddr *>(&peer) : nullptr);
            continue;
        }
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK || !Handlers.Failure(AcceptFaultOf(error), error)) {
            return;
        }
    }
}
