// Request/answer dialogs per second between two controls on loopback against plain QTcpSocket
// code doing the same exchange, and the CPU time a dialog costs while it waits for an answer
// that never comes.
#include "datafolder.h"
#include "socketctl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace Pelloxan;

namespace
{
// Rounds of each side, taken in turn, the best of each kept: other work on the machine slows one
// round, not the comparison.
constexpr int Rounds = 5;
constexpr qint64 RunMs = 400;
constexpr double MsPerSecond = 1000.0;
constexpr double MicrosecondsPerSecond = 1e6;
constexpr int ConnectTimeoutMs = 3000;
// The answer that never comes is waited for this long.
constexpr qint32 SilentAnswerSeconds = 10;
// The header and the text of the benchmark's request.
constexpr quint8 RequestHeader = 4;
const QString ServerIP = QStringLiteral("127.0.0.1");
const QString ClientIP = QStringLiteral("127.0.0.2");

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / MicrosecondsPerSecond;
}

// Dialogs per second from a server control to a client control that answers by itself.
double ControlRate(quint16 &Port)
{
    Quorvhandler server;
    server.SetBindAddress(QHostAddress(ServerIP));
    QString error;
    if (!server.Start(0, error)) {
        std::fprintf(stderr, "server: %s\n", qPrintable(error));
        return 0;
    }
    Port = static_cast<quint16>(server.GetListenerPort());
    Quorvhandler client;
    client.SetBindAddress(QHostAddress(ClientIP));
    if (!client.Start(Port, error)) {
        std::fprintf(stderr, "client: %s\n", qPrintable(error));
        return 0;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    qint64 dialogs = 0;
    while (elapsed.elapsed() < RunMs) {
        if (!server.DialogMessage(ClientIP,
                                  server.MakeMessagePacketFromParts(RequestHeader, QStringLiteral("17")),
                                  error)) {
            std::fprintf(stderr, "dialog: %s\n", qPrintable(error));
            return 0;
        }
        ++dialogs;
    }
    return double(dialogs) * MsPerSecond / double(elapsed.elapsed());
}

// The same exchange over one plain connection: as the control does on a reused connection, each
// dialog first sends the header-0 probe and then the request, each time waiting in an event loop
// for the whole answer; the other side turns each message into its answer.
double PlainRate(quint16 Port)
{
    QTcpServer listener;
    if (!listener.listen(QHostAddress(QStringLiteral("127.0.0.3")), Port)) {
        return 0;
    }
    QTcpSocket *accepted = nullptr;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        accepted = listener.nextPendingConnection();
        QObject::connect(accepted, &QTcpSocket::readyRead, [&] {
            QByteArray request = accepted->readAll();
            request[1] = '2';
            accepted->write(request);
        });
    });
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.3")), Port);
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        return 0;
    }
    const auto exchange = [&socket](const QByteArray &message) {
        QEventLoop loop;
        QByteArray answer;
        const auto connection = QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
            answer += socket.readAll();
            if (answer.size() >= message.size()) {
                loop.quit();
            }
        });
        socket.write(message);
        loop.exec();
        QObject::disconnect(connection);
    };
    QElapsedTimer elapsed;
    elapsed.start();
    qint64 dialogs = 0;
    while (elapsed.elapsed() < RunMs) {
        exchange(QByteArray(" 1| 1| 0| 0|"));
        exchange(QByteArray(" 1| 2| 4| 2|17"));
        ++dialogs;
    }
    return double(dialogs) * MsPerSecond / double(elapsed.elapsed());
}

// CPU seconds used while one dialog waits 10 seconds for an answer that never comes.
double WaitCpu(quint16 Port)
{
    Quorvhandler server;
    server.SetBindAddress(QHostAddress(ServerIP));
    server.SetAnswerTimeout(SilentAnswerSeconds);
    QString error;
    if (!server.Start(Port, error)) {
        std::fprintf(stderr, "server: %s\n", qPrintable(error));
        return 0;
    }
    Quorvhandler silent;
    silent.SetBindAddress(QHostAddress(ClientIP));
    if (!silent.Start(Port, error)) {
        std::fprintf(stderr, "silent client: %s\n", qPrintable(error));
        return 0;
    }
    QObject::connect(&silent, &Quorvhandler::IncomingRequest, [](const QString &, const MessagePackPtr &mes) {
        mes->SetPacketDirection(pdSingle);
    });
    const double before = CpuSeconds();
    const bool answered =
        server.DialogMessage(ClientIP, server.MakeMessagePacketFromParts(RequestHeader), error) != nullptr;
    const double spent = CpuSeconds() - before;
    if (answered) {
        std::fprintf(stderr, "the silent client answered\n");
    } else {
        std::printf("the dialog ended: %s\n", qPrintable(error));
    }
    return spent;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dataFolder;
    DataFolder::SetDataFolder(dataFolder.path());

    quint16 port = 0;
    double control = 0;
    double plain = 0;
    for (int round = 0; round < Rounds; ++round) {
        control = qMax(control, ControlRate(port));
        plain = qMax(plain, PlainRate(port));
    }
    std::printf("dialogs per second: control %.0f, plain QTcpSocket %.0f, ratio %.2f (target at least 0.80)\n",
                control,
                plain,
                plain > 0 ? control / plain : 0.0);
    std::printf("CPU time while a dialog waited %d s for no answer: %.3f s (target under 0.100 s)\n",
                SilentAnswerSeconds,
                WaitCpu(port));
    return control > 0 && plain > 0 ? 0 : 1;
}
