#pragma once

#include <QString>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// What the drivers that speak to the program on raw descriptors share: a steady clock in
// nanoseconds, an IPv4 address for bind and connect, and a connection from a given address.

inline qint64 SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline sockaddr_in SocketAddress(const QString &IP, quint16 Port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Port);
    inet_pton(AF_INET, IP.toLatin1().constData(), &address.sin_addr);
    return address;
}

// A non-blocking connection from the address From to Port on 127.0.0.1, its connect under way: its
// descriptor, or -1 with errno set.
inline int ConnectFrom(const QString &From, quint16 Port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const sockaddr_in local = SocketAddress(From, 0);
    const sockaddr_in remote = SocketAddress(QStringLiteral("127.0.0.1"), Port);
    if (fd >= 0
        && (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0
            || (::connect(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote) != 0
                && errno != EINPROGRESS))) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}
