#include "proxy/proxy.h"

#include "core/mainlog.h"
#include "proxy/relayconnection.h"
#include "steadyclock.h"

#include <QPointer>
#include <QSignalBlocker>
#include <QTcpSocket>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace
{
constexpr qsizetype OverviewRuleLength = 45;
constexpr qint32 MaxPortNumber = 65535;

QString Num(qint64 Value)
{
    return QString::number(Value);
}
} // namespace

Proxy::Proxy(QObject *parent)
    : QObject(parent)
{
    connect(&m_listener, &RelayListener::Accepted, this, &Proxy::ConnectionRequest);
    connect(&m_listener, &RelayListener::AcceptFailed, this, &Proxy::AcceptFailed);
    m_sweepTimer.setInterval(SweepIntervalMs);
    connect(&m_sweepTimer, &QTimer::timeout, this, &Proxy::Sweep);
    m_resumeTimer.setSingleShot(true);
    m_resumeTimer.setInterval(DescriptorRetryMs);
    connect(&m_resumeTimer, &QTimer::timeout, this, [this] { m_listener.SetAccepting(true); });
}

Proxy::~Proxy()
{
    // The host may be half gone: no trace and no event from here on.
    const QSignalBlocker blocker(this);
    Shutdown();
}

bool Proxy::Log() const
{
    return m_log;
}

void Proxy::SetLog(bool Log)
{
    m_log = Log;
}

qint32 Proxy::Port() const
{
    return m_port;
}

qint32 Proxy::ConnectTimeout() const
{
    return m_connectTimeout;
}

void Proxy::SetConnectTimeout(qint32 Seconds)
{
    m_connectTimeout = Seconds;
    LogMessage(QStringLiteral("ConnectTimeout=") + Num(Seconds), 0);
}

QString Proxy::OuterProxyIP() const
{
    return m_outerProxyIP;
}

void Proxy::SetOuterProxyIP(const QString &IP)
{
    m_outerProxyIP = IP;
    LogMessage(QStringLiteral("OuterProxyIP=") + IP, 0);
}

qint32 Proxy::OuterProxyPort() const
{
    return m_outerProxyPort;
}

void Proxy::SetOuterProxyPort(qint32 Port)
{
    m_outerProxyPort = Port;
    LogMessage(QStringLiteral("OuterProxyPort=") + Num(Port), 0);
}

QList<qint32> Proxy::ConnectionIndexes() const
{
    QList<qint32> indexes;
    for (const auto &entry : m_connections) {
        indexes.append(entry.first);
    }
    return indexes;
}

void Proxy::LogMessage(const QString &Text, qint32 Index, qint32 Type)
{
    if (m_log) {
        emit Logging(Text, Type, Index);
    }
}

void Proxy::Trace(const QString &Text, qint32 Index, qint32 Type)
{
    LogMessage(Text, Index, Type);
}

bool Proxy::RefuseRequest(const QString &ClientIP, const QString &URL, qint32 Length)
{
    bool cancel = false;
    emit RequestedURL(ClientIP, URL, Length, cancel);
    return cancel;
}

bool Proxy::RefuseResponse(const QString &ClientIP, qint32 Length)
{
    bool cancel = false;
    emit ReceivedData(ClientIP, Length, cancel);
    return cancel;
}

bool Proxy::Start(qint32 Port, QString &ErrString)
{
    LogMessage(QStringLiteral("Start, Port=") + Num(Port), 0);
    Shutdown();
    m_port = Port;
    QString description;
    if (Port < 0 || Port > MaxPortNumber) {
        description = QStringLiteral("недопустимый номер порта ") + Num(Port);
    } else {
        m_listener.Listen(static_cast<quint16>(Port), description);
    }
    if (!description.isEmpty()) {
        ErrString = QStringLiteral("Ошибка инициализации: ") + description;
        LogMessage(QStringLiteral("Start: ") + description, 0, TraceError);
        return false;
    }
    m_listenerFailed = false;
    m_acceptErrors = 0;
    // Read as the relay starts listening, after the program raised it.
    QString limitError;
    if (!m_limits.ReadDescriptorLimit(MaxConnectionIndex, limitError)) {
        MainLog().Log(QStringLiteral("Прокси: предел открытых файлов не прочитан: ") + limitError, Logger::KindError);
    }
    m_refusedAddresses.clear();
    m_limitStates.fill({});
    m_sweepTimer.start();
    QString spareError;
    if (!m_spare.Reserve(spareError)) {
        // The relay works without it; only a connection beyond the last descriptor waits longer.
        MainLog().Log(QStringLiteral("Прокси: ") + spareError, Logger::KindError);
        LogMessage(QStringLiteral("Start: ") + spareError, 0, TraceError);
    }
    LogMessage(QStringLiteral("Start: Completed!"), 0);
    return true;
}

void Proxy::Shutdown()
{
    LogMessage(QStringLiteral("Shutdown"), 0);
    m_listener.Close();
    m_sweepTimer.stop();
    m_resumeTimer.stop();
    CloseConnections();
    m_listenerFailed = false;
    LogMessage(QStringLiteral("Shutdown: Completed!"), 0);
}

bool Proxy::IsActive() const
{
    return m_listener.IsListening() && !m_listenerFailed;
}

void Proxy::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_limits.SetClubAddresses(Addresses);
}

QSet<QString> Proxy::ClubAddresses() const
{
    return m_limits.ClubAddresses();
}

void Proxy::CloseConnections()
{
    LogMessage(QStringLiteral("CloseConnections. Connections number=") + Num(qint64(m_connections.size())), 0);
    for (const qint32 index : ConnectionIndexes()) {
        KillConnection(index, KillMode::Both);
    }
    LogMessage(QStringLiteral("CloseConnections: Completed!"), 0);
}

void Proxy::AcceptFailed(AcceptFault Fault, const QString &Reason)
{
    LogMessage(QStringLiteral("(Listener_Error) ") + Reason, 0, TraceError);
    // The trace's host may have shut the relay down or started it anew; a connection that failed
    // while it waited (the peer reset it, a routing error) leaves the next one to be served.
    if (!m_listener.IsListening() || Fault == AcceptFault::Connection) {
        return;
    }
    if (Fault == AcceptFault::Descriptors) {
        OutOfDescriptors();
        return;
    }
    // The listener tries again in the next turn; errors that keep coming with no connection between
    // them need a new socket.
    if (++m_acceptErrors >= AcceptErrorsBeforeRestart) {
        RestartListener();
    }
}

void Proxy::RestartListener()
{
    m_acceptErrors = 0;
    const QString head = QStringLiteral("Прокси: прослушиватель порта ") + Num(m_port);
    QString error;
    if (m_listener.Listen(static_cast<quint16>(m_port), error)) {
        MainLog().Log(head + QStringLiteral(" открыт заново после ошибок приёма соединений"), Logger::KindError);
        return;
    }
    // Not listening, as IsActive says; the host's next Start opens it again.
    m_listenerFailed = true;
    MainLog().Log(head + QStringLiteral(" не открыт заново: ") + error, Logger::KindError);
    LogMessage(QStringLiteral("(Listener_Error) ") + error, 0, TraceError);
}

void Proxy::OutOfDescriptors()
{
    // The main log opens its file for each line: the spare descriptor lets it write this one.
    m_spare.Release();
    Refused(Limit::Descriptors);
    // Out of descriptors: what waits cannot be served now and is closed, not left hanging.
    int closed = 0;
    QString err;
    if (m_spare.CloseWaiting(m_listener.Descriptor(), closed, err)) {
        LogMessage(QStringLiteral("(Listener_Error) Нет свободных дескрипторов, закрыто коннекций: ") + Num(closed),
                   0,
                   TraceError);
        return;
    }
    LogMessage(QStringLiteral("(Listener_Error) ") + err, 0, TraceError);
    // Without the spare descriptor what waits stays queued; accepting pauses rather than fail again
    // at once, and tries again a little later.
    m_listener.SetAccepting(false);
    m_resumeTimer.start();
}

void Proxy::ConnectionRequest(int Descriptor, const QString &Address)
{
    m_acceptErrors = 0;
    // Beyond a limit the connection is closed at once, before anything else is spent on it.
    if (!Admitted(Address)) {
        ::close(Descriptor);
        return;
    }
    LogMessage(QStringLiteral("Listener_ConnectionRequest"), 0);
    RelayConnection *connection = CreateConnection(Descriptor, Address);
    if (!connection) {
        return;
    }
    // Held before the first trace line: its host may close the pair and wait, and the wait would
    // free it.
    const RelayConnection::Hold hold(*connection);
    LogConnectionStates();
    LogMessage(QStringLiteral("Listener_ConnectionRequest: NewIndex=") + Num(connection->Index()), 0);
    // The host of the trace may have shut the relay down or started it anew: the pair is gone.
    if (connection->IsUnloaded()) {
        return;
    }
    QString errText;
    if (!ConnectOuter(*connection, errText)) {
        LogMessage(errText, 0, TraceError);
        connection->Kill(KillMode::Both);
        return;
    }
    connection->Wire();
    LogMessage(QStringLiteral("Listener_ConnectionRequest: Completed!"), 0);
    connection->RelayIfConnected();
}

bool Proxy::Admitted(const QString &Address)
{
    switch (m_limits.Check(Address)) {
    case ConnectionLimits::Verdict::Admitted:
        return true;
    case ConnectionLimits::Verdict::AddressFull:
        if (!m_refusedAddresses.contains(Address)) {
            m_refusedAddresses.insert(Address);
            MainLog().Log(PortHead() + QStringLiteral("адрес ") + Address
                              + QStringLiteral(" держит предельное число соединений (")
                              + Num(m_limits.AddressLimit(Address))
                              + QStringLiteral("), его новые соединения закрываются"),
                          Logger::KindError);
        }
        return false;
    case ConnectionLimits::Verdict::OthersFull:
        Refused(Limit::Others);
        return false;
    case ConnectionLimits::Verdict::ShareFull:
        Refused(Limit::Relay);
        return false;
    }
    return false;
}

RelayConnection *Proxy::CreateConnection(int Descriptor, const QString &Address)
{
    CheckConnections();
    const qint32 index = GetFreeConnectionIndex();
    auto socket = std::make_unique<QTcpSocket>();
    if (index == 0 || !socket->setSocketDescriptor(Descriptor)) {
        LogMessage(QStringLiteral("(CreateConnection): ")
                       + (index == 0 ? QStringLiteral("Нет свободного номера коннекции") : socket->errorString()),
                   0,
                   TraceError);
        // Qt closes the descriptor on some of its failures and leaves it open on others.
        if (::fcntl(Descriptor, F_GETFD) != -1) {
            ::close(Descriptor);
        }
        return nullptr;
    }
    m_limits.Add(Address);
    auto *connection = new RelayConnection(index, socket.release(), Address, *this, this);
    m_connections.emplace(index, connection);
    return connection;
}

qint32 Proxy::GetFreeConnectionIndex() const
{
    qint32 index = 1;
    for (const auto &entry : m_connections) {
        if (entry.first != index) {
            break;
        }
        ++index;
    }
    return index <= MaxConnectionIndex ? index : 0;
}

bool Proxy::ConnectOuter(RelayConnection &Connection, QString &ErrText)
{
    const QString prefix = QStringLiteral("Ошибка открытия коннекции с прокси: ");
    if (m_outerProxyIP.trimmed().isEmpty() || m_outerProxyPort <= 0 || m_outerProxyPort > MaxPortNumber) {
        ErrText = prefix + QStringLiteral("не задан адрес внешнего прокси (") + m_outerProxyIP + QLatin1Char(':')
                  + Num(m_outerProxyPort) + QLatin1Char(')');
        return false;
    }
    QString reason;
    if (!Connection.ConnectOuter(m_outerProxyIP.trimmed(),
                                 static_cast<quint16>(m_outerProxyPort),
                                 m_connectTimeout,
                                 reason)) {
        ErrText = prefix + reason;
        return false;
    }
    return true;
}

RelayConnection *Proxy::Find(qint32 Index) const
{
    const auto found = m_connections.find(Index);
    return found == m_connections.end() ? nullptr : found->second;
}

void Proxy::CheckConnections()
{
    for (const qint32 index : ConnectionIndexes()) {
        KillConnection(index, KillMode::Tidy);
    }
}

void Proxy::KillConnection(qint32 Index, KillMode Mode)
{
    LogMessage(RelayConnection::KillLine(Index, Mode), Index);
    RelayConnection *connection = Find(Index);
    if (!connection) {
        LogMessage(RelayConnection::GoneLine(Index), Index);
        return;
    }
    connection->KillFound(Mode);
}

void Proxy::Released(const RelayConnection &Connection)
{
    m_connections.erase(Connection.Index());
    m_limits.Release(Connection.ClientIP());
}

void Proxy::Sweep()
{
    const qint64 now = SteadyClock::NowMs();
    // Each line goes to the host's trace, which may change the table: the walk is over a copy, and
    // the pair is closed only if it is still the one that expired.
    for (const qint32 index : ConnectionIndexes()) {
        const QPointer<RelayConnection> connection = Find(index);
        const QString expired = connection ? connection->Expired(now) : QString();
        if (!expired.isEmpty()) {
            LogMessage(expired, index);
            if (connection) {
                connection->Kill(KillMode::Both);
            }
        }
    }
    static const std::array<QString, static_cast<size_t>(Limit::Count)> texts{
        QStringLiteral("соединения с адресов не из клуба снова принимаются"),
        QStringLiteral("соединения снова принимаются"),
        QStringLiteral("дескрипторы снова есть, соединения снова принимаются")};
    for (size_t kind = 0; kind < m_limitStates.size(); ++kind) {
        LimitState &state = m_limitStates.at(kind);
        if (state.Reached && now - state.LastRefusalMs >= LimitQuietMs
            && (kind != static_cast<size_t>(Limit::Descriptors) || DescriptorsFree())) {
            state.Reached = false;
            MainLog().Log(PortHead() + texts.at(kind), Logger::KindInformation);
        }
    }
}

bool Proxy::DescriptorsFree()
{
    // Quiet for a while is no proof: nobody may have tried. A descriptor taken and given back is.
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (probe < 0) {
        return false;
    }
    ::close(probe);
    QString err;
    if (!m_spare.Reserve(err)) {
        MainLog().Log(QStringLiteral("Прокси: ") + err, Logger::KindError);
    }
    return true;
}

void Proxy::Refused(Limit Kind)
{
    LimitState &state = m_limitStates.at(static_cast<size_t>(Kind));
    state.LastRefusalMs = SteadyClock::NowMs();
    if (state.Reached) {
        return;
    }
    QString text;
    switch (Kind) {
    case Limit::Others:
        text = QStringLiteral("адреса не из клуба держат свою долю соединений (") + Num(m_limits.OthersShare())
               + QStringLiteral("), их новые соединения закрываются");
        break;
    case Limit::Relay:
        text = QStringLiteral("достигнут предел соединений (") + Num(m_limits.Share())
               + QStringLiteral("), новые соединения закрываются");
        break;
    case Limit::Descriptors:
    case Limit::Count:
        text = QStringLiteral("нет свободных дескрипторов, новые соединения закрываются");
        break;
    }
    MainLog().Log(PortHead() + text, Logger::KindError);
    // A line the log could not write, out of descriptors, is tried again at the next refusal.
    state.Reached = MainLog().LastError().isEmpty();
}

QString Proxy::PortHead() const
{
    return QStringLiteral("Прокси, порт ") + Num(m_port) + QStringLiteral(": ");
}

void Proxy::LogConnectionStates()
{
    if (!m_log) {
        return;
    }
    const QString rule(OverviewRuleLength, QLatin1Char('-'));
    LogMessage(rule, 0);
    LogMessage(QStringLiteral("Connections Number=") + Num(qint64(m_connections.size())) + QStringLiteral(": "), 0);
    // Each line goes to the host, which may change the table meanwhile: the walk is over a copy.
    for (const qint32 index : ConnectionIndexes()) {
        const RelayConnection *connection = Find(index);
        const auto state = connection ? connection->State() : RelayConnection::PairState::Closed;
        LogMessage(QStringLiteral("... ") + Num(index) + QStringLiteral(": State=") + Num(static_cast<qint32>(state)),
                   0);
    }
    LogMessage(rule, 0);
}
