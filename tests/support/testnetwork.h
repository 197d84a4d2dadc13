#pragma once

#include <QCoreApplication>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QString>
#include <QTcpServer>

// Loopback addresses and ports for suites that run side by side with simulated client computers.
namespace TestNetwork
{
// The range that server ports are drawn from: below the kernel's range for outgoing connections, so
// no connection of any process holds a client's address at the port.
constexpr int FirstPort = 20000;
constexpr int EndPort = 32000;
constexpr int PortAttempts = 100;

// A client computer's address of this process alone, 127.a.b.Host (Host 1 to 254) with a and b from
// the process id: suites running at the same time never share one.
inline QString ClientIP(int Host)
{
    const qint64 pid = QCoreApplication::applicationPid();
    return QStringLiteral("127.%1.%2.%3").arg(1 + (pid >> 8) % 254).arg(pid & 0xFF).arg(Host);
}

// A port of the range that nothing listens on at 127.0.0.1 now; 0 when none was found.
inline quint16 FreeServerPort()
{
    for (int attempt = 0; attempt < PortAttempts; ++attempt) {
        const auto port = static_cast<quint16>(QRandomGenerator::global()->bounded(FirstPort, EndPort));
        QTcpServer probe;
        if (probe.listen(QHostAddress(QHostAddress::LocalHost), port)) {
            return port;
        }
    }
    return 0;
}
} // namespace TestNetwork
