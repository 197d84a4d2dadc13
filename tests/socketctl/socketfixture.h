#pragma once

#include "clientsim.h"
#include "datafolder.h"
#include "socketctl.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A server control on 127.0.0.1 at a free port with short time-outs, simulated club computers on
// 127.0.0.2, 127.0.0.3 ... at the same port, and the data folder in a temporary directory.
class SocketFixture
{
public:
    static constexpr int ShortTimeout = 1;
    // The club's computers are 127.0.0.2 to 127.0.0.99; from 127.0.0.100 on are strangers.
    static constexpr int FirstClubHost = 2;
    static constexpr int FirstStrangerHost = 100;
    // The range that ports are drawn from, and how many are tried.
    static constexpr int FirstPort = 20000;
    static constexpr int EndPort = 32000;
    static constexpr int PortAttempts = 100;

    bool StartServer()
    {
        DataFolder::SetDataFolder(m_dataDir.path());
        Server = std::make_unique<Pelloxan::Quorvhandler>();
        Server->SetBindAddress(QHostAddress(QStringLiteral("127.0.0.1")));
        Server->SetConnectTimeout(ShortTimeout);
        Server->SetAnswerTimeout(ShortTimeout);
        QSet<QString> club;
        for (int host = FirstClubHost; host < FirstStrangerHost; ++host) {
            club.insert(ClientIP(host));
        }
        Server->SetClubAddresses(club);
        // Below the kernel's range for outgoing connections, so that no connection of another
        // process holds 127.0.0.N at the port; the server's own listener reserves it among runs.
        QString error;
        for (int attempt = 0; attempt < PortAttempts; ++attempt) {
            const int port = QRandomGenerator::global()->bounded(FirstPort, EndPort);
            if (Server->Start(port, error)) {
                Port = static_cast<quint16>(port);
                return true;
            }
        }
        qWarning() << error;
        return false;
    }

    // The simulated computer on 127.0.0.<Number>.
    ClientSim *StartClient(int Number, ClientSim::Mode Mode)
    {
        auto sim = std::make_unique<ClientSim>();
        QString error;
        if (!sim->Start(ClientAddress(Number), Port, Mode, error)) {
            qWarning() << error;
            return nullptr;
        }
        if (sim->Control()) {
            sim->Control()->SetConnectTimeout(ShortTimeout);
            sim->Control()->SetAnswerTimeout(ShortTimeout);
        }
        Clients.push_back(std::move(sim));
        return Clients.back().get();
    }

    static QHostAddress ClientAddress(int Number)
    {
        return QHostAddress(QStringLiteral("127.0.0.%1").arg(Number));
    }

    static QString ClientIP(int Number)
    {
        return ClientAddress(Number).toString();
    }

    void Stop()
    {
        Clients.clear();
        if (Server) {
            Server->Stop_();
            Server.reset();
        }
    }

    // The lines of the slot dump without the final empty line.
    QStringList DumpLines() const
    {
        QFile file(QDir(m_dataDir.path()).filePath(QStringLiteral("sckdump.txt")));
        if (!file.open(QIODevice::ReadOnly)) {
            return {QStringLiteral("<no dump>")};
        }
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        while (!lines.isEmpty() && lines.constLast().isEmpty()) {
            lines.removeLast();
        }
        return lines;
    }

    std::unique_ptr<Pelloxan::Quorvhandler> Server;
    std::vector<std::unique_ptr<ClientSim>> Clients;
    quint16 Port = 0;

private:
    QTemporaryDir m_dataDir;
};
