#pragma once

#include <QString>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>

// What the drivers that speak to the program on raw descriptors share: a steady clock in
// nanoseconds and an IPv4 address for bind and connect.

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
