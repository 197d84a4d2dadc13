#include "acceptfault.h"

#include <cerrno>

AcceptFault AcceptFaultOf(int Error)
{
    switch (Error) {
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
        return AcceptFault::Descriptors;
    // The network errors that TCP passes on from a waiting connection, a firewall's refusal, and
    // an interrupted call.
    case EINTR:
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENETDOWN:
    case ENETUNREACH:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENONET:
    case EOPNOTSUPP:
    case ETIMEDOUT:
        return AcceptFault::Connection;
    default:
        return AcceptFault::Listener;
    }
}
