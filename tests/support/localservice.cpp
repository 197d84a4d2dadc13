#include "localservice.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace
{
constexpr int ProbeWaitMs = 100;
constexpr int StopWaitMs = 3000;
constexpr int ConnectionTimeoutSeconds = 60;
constexpr int PortAttempts = 100;
constexpr quint16 FirstPort = 20000;
constexpr quint16 LastPort = 32000;
} // namespace

LocalService::~LocalService()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(StopWaitMs)) {
            m_process.kill();
            m_process.waitForFinished(StopWaitMs);
        }
    }
}

quint16 LocalService::FreePort()
{
    // Below the system's range of ephemeral ports, so that no client connection takes it between
    // the probe and its use; free on every address, as a relay listening on all of them needs.
    for (int attempt = 0; attempt < PortAttempts; ++attempt) {
        const auto port = static_cast<quint16>(QRandomGenerator::global()->bounded(FirstPort, LastPort));
        QTcpServer probe;
        if (probe.listen(QHostAddress(QHostAddress::AnyIPv4), port)) {
            return port;
        }
    }
    return 0;
}

quint16 LocalService::Port() const
{
    return m_port;
}

qint64 LocalService::ProcessId() const
{
    return m_process.processId();
}

bool LocalService::WaitForPort(QString &ErrString) const
{
    QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning) {
            ErrString = m_process.program() + QStringLiteral(" ended: ") + m_process.errorString();
            return false;
        }
        QTcpSocket socket;
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), m_port);
        if (socket.waitForConnected(ProbeWaitMs)) {
            return true;
        }
        QThread::msleep(ProbeWaitMs);
    }
    ErrString = m_process.program() + QStringLiteral(" does not listen on port ") + QString::number(m_port);
    return false;
}

std::unique_ptr<LocalService> LocalService::StartOrigin(QString &ErrString)
{
    std::unique_ptr<LocalService> service(new LocalService);
    service->m_process.start(QStringLiteral(QM_TEST_ORIGIN), {QStringLiteral("0")});
    if (!service->m_process.waitForReadyRead(StartTimeoutMs)) {
        ErrString = QStringLiteral("the test origin did not start: ") + service->m_process.errorString();
        return nullptr;
    }
    const QByteArray line = service->m_process.readLine().trimmed();
    service->m_port = line.mid(line.indexOf(' ') + 1).toUShort();
    if (!line.startsWith("listening ") || service->m_port == 0) {
        ErrString = QStringLiteral("the test origin said: ") + QString::fromUtf8(line);
        return nullptr;
    }
    return service;
}

std::unique_ptr<LocalService> LocalService::StartTinyProxy(quint16 OriginPort, QString &ErrString)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"));
    if (program.isEmpty()) {
        ErrString = QStringLiteral("tinyproxy is not installed (scripts/install-deps installs tinyproxy-bin)");
        return nullptr;
    }
    std::unique_ptr<LocalService> service(new LocalService);
    service->m_port = FreePort();
    const QString config = service->m_folder.filePath(QStringLiteral("tinyproxy.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        ErrString = file.errorString();
        return nullptr;
    }
    file.write(QStringLiteral("Port %1\nListen 127.0.0.1\nAllow 127.0.0.0/8\nTimeout %2\nMaxClients 2000\n"
                              "ConnectPort %3\nLogLevel Critical\n")
                   .arg(service->m_port)
                   .arg(ConnectionTimeoutSeconds)
                   .arg(OriginPort)
                   .toUtf8());
    file.close();
    service->m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service->m_process.setStandardOutputFile(QProcess::nullDevice());
    service->m_process.start(program, {QStringLiteral("-d"), QStringLiteral("-c"), config});
    if (!service->WaitForPort(ErrString)) {
        return nullptr;
    }
    return service;
}
