#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A helper server of the relay's suites and benchmark, run as a process of its own on 127.0.0.1
// and stopped when the object goes: the test origin, or tinyproxy as the club's outer proxy.
class LocalService final
{
public:
    static constexpr int StartTimeoutMs = 10000;

    ~LocalService();

    // The test origin (QM_TEST_ORIGIN names its executable); null with the reason.
    static std::unique_ptr<LocalService> StartOrigin(QString &ErrString);
    // tinyproxy relaying plain requests and CONNECT to the origin's port; null with the reason
    // (tinyproxy-bin missing among them).
    static std::unique_ptr<LocalService> StartTinyProxy(quint16 OriginPort, QString &ErrString);

    // A port that was free on every address a moment ago, outside the range of ephemeral ports.
    static quint16 FreePort();

    quint16 Port() const;
    qint64 ProcessId() const;

private:
    LocalService() = default;
    bool WaitForPort(QString &ErrString) const;

    QProcess m_process;
    QTemporaryDir m_folder;
    quint16 m_port = 0;
};
