#include "programprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTcpSocket>

#include <array>
#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

ProgramProcess::ProgramProcess(const QString &Executable)
    : m_executable(Executable)
{
}

ProgramProcess::ProgramProcess(const QString &Executable, quint64 DescriptorLimit)
    : m_executable(Executable)
    , m_descriptorLimit(DescriptorLimit)
{
}

ProgramProcess::~ProgramProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(KillWaitMs);
    }
}

bool ProgramProcess::Start(const QString &DataFolder, quint16 Port, QString &ErrString)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUILLMARSH_DATA_FOLDER"), DataFolder);
    environment.insert(QStringLiteral("QUILLMARSH_BIND_ADDRESS"), QStringLiteral("127.0.0.1"));
    environment.insert(QStringLiteral("QUILLMARSH_PORT"), QString::number(Port));
    environment.insert(QStringLiteral("QUILLMARSH_INSTANCE_KEY"),
                       QStringLiteral("quillmarsh-chaos-") + QString::number(QCoreApplication::applicationPid()));
    // Settings of its own, and no ODBC data source that could take the place of the embedded file.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("ODBCSYSINI"), m_home.path());
    environment.insert(QStringLiteral("ODBCINI"), m_home.filePath(QStringLiteral("odbc.ini")));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    if (m_descriptorLimit > 0) {
        const rlimit limit{m_descriptorLimit, m_descriptorLimit};
        // Runs in the child between fork and exec: only async-signal-safe calls.
        m_process.setChildProcessModifier([limit] { ::setrlimit(RLIMIT_NOFILE, &limit); });
    }
    m_process.start(m_executable, {});
    if (!m_process.waitForStarted()) {
        ErrString = m_executable + QStringLiteral(": ") + m_process.errorString();
        return false;
    }
    return true;
}

bool ProgramProcess::IsRunning()
{
    QCoreApplication::processEvents();
    return m_process.state() != QProcess::NotRunning;
}

QString ProgramProcess::Ending() const
{
    if (m_process.state() != QProcess::NotRunning) {
        return QStringLiteral("still running");
    }
    if (m_process.exitStatus() == QProcess::CrashExit) {
        return QStringLiteral("died (") + m_process.errorString() + QStringLiteral(")");
    }
    return QStringLiteral("exited with code ") + QString::number(m_process.exitCode());
}

void ProgramProcess::Terminate()
{
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
}

bool ProgramProcess::EndedCleanly(QString &ErrString)
{
    if (IsRunning()) {
        ErrString = QStringLiteral("the program did not end after SIGTERM");
        return false;
    }
    if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0) {
        ErrString = QStringLiteral("after SIGTERM the program ") + Ending();
        return false;
    }
    return true;
}

QStringList ProgramProcess::Descriptors() const
{
    QStringList descriptors;
    const QDir folder(QStringLiteral("/proc/%1/fd").arg(m_process.processId()));
    for (const QString &name : folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        std::array<char, PATH_MAX> target{};
        const ssize_t size =
            ::readlink(QFile::encodeName(folder.filePath(name)).constData(), target.data(), target.size());
        descriptors.append(name + QStringLiteral(" ") + QString::fromLocal8Bit(target.data(), qMax<ssize_t>(0, size)));
    }
    return descriptors;
}

qint64 ProgramProcess::ResidentBytes() const
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(m_process.processId()));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

qint64 ProgramProcess::CpuMs() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // The name in parentheses may hold blanks; the fields counted from after it start at the state.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    constexpr int UserTimeField = 11;
    constexpr int SystemTimeField = 12;
    if (fields.size() <= SystemTimeField) {
        return -1;
    }
    const qint64 ticks = fields.at(UserTimeField).toLongLong() + fields.at(SystemTimeField).toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

qint64 ProgramProcess::ProcessId() const
{
    return m_process.processId();
}

bool ProgramProcess::Listens(quint16 Port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), Port);
    return socket.waitForConnected(ListenProbeMs);
}
