#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The real program run as a process of its own for the chaos driver: its data folder, its ports on
// 127.0.0.1 and a settings folder of its own; what it prints (a sanitizer's report among it) goes to
// the driver's own output. Killed when the object goes while it still runs.
class ProgramProcess final
{
public:
    static constexpr int KillWaitMs = 10000;
    static constexpr int ListenProbeMs = 100;

    // Whether Port on 127.0.0.1 takes a connection within ListenProbeMs: the program listens.
    static bool Listens(quint16 Port);

    explicit ProgramProcess(const QString &Executable);
    // Starts it with at most Limit open descriptors (soft and hard, so it cannot raise them).
    ProgramProcess(const QString &Executable, quint64 DescriptorLimit);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess &) = delete;
    ProgramProcess &operator=(const ProgramProcess &) = delete;

    // Starts it on DataFolder, listening at Port; false with the reason.
    bool Start(const QString &DataFolder, quint16 Port, QString &ErrString);
    // True while it runs (it is looked at now, without an event loop).
    bool IsRunning();
    // How it ended, for the report.
    QString Ending() const;
    // Asks it to end as the system would (SIGTERM); it may still finish a dialog first.
    void Terminate();
    // True when it has ended with code 0; else ErrString says how it ended.
    bool EndedCleanly(QString &ErrString);

    // Its open descriptors and what each is ("socket:[…]", a file's path).
    QStringList Descriptors() const;
    qint64 ResidentBytes() const;
    // Processor time it has used, user and system, in milliseconds; -1 when it cannot be read.
    qint64 CpuMs() const;
    qint64 ProcessId() const;

private:
    QString m_executable;
    QProcess m_process;
    QTemporaryDir m_home;
    quint64 m_descriptorLimit = 0;
};
