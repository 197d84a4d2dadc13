#include "proxy/proxy.h"

#include "core/mainlog.h"
#include "proxy/relayconnection.h"

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

AdmissionTexts RelayTexts()
{
    return {
        .AddressReached = QStringLiteral("Прокси, порт {port}: адрес {address} держит предельное число соединений "
                                         "({number}), его новые соединения закрываются"),
        .OthersReached = QStringLiteral("Прокси, порт {port}: адреса не из клуба держат свою долю соединений "
                                        "({number}), их новые соединения закрываются"),
        .OthersLeft = QStringLiteral("Прокси, порт {port}: соединения с адресов не из клуба снова принимаются"),
        .ShareReached =
            QStringLiteral("Прокси, порт {port}: достигнут предел соединений ({number}), новые соединения закрываются"),
        .ShareLeft = QStringLiteral("Прокси, порт {port}: соединения снова принимаются"),
        .DescriptorsReached =
            QStringLiteral("Прокси, порт {port}: нет свободных дескрипторов, новые соединения закрываются"),
        .DescriptorsLeft = QStringLiteral("Прокси, порт {port}: дескрипторы снова есть, соединения снова принимаются"),
        .NoPeerAddress =
            QStringLiteral("Прокси, порт {port}: входящее соединение закрыто, адрес собеседника не прочитан"),
        .LimitUnread = QStringLiteral("Прокси: предел открытых файлов не прочитан: {reason}"),
        .SpareUnavailable = QStringLiteral("Прокси: {reason}"),
        .Reopened = QStringLiteral(
            "Прокси: прослушиватель порта {port} открыт заново после ошибки приёма соединений: {reason}"),
        .NotReopened = QStringLiteral(
            "Прокси: прослушиватель порта {port} не открыт заново: {error} (ошибка приёма соединений: {reason})"),
        .AcceptErrorTrace = QStringLiteral("(Listener_Error) {reason}"),
        .ClosedWaitingTrace =
            QStringLiteral("(Listener_Error) Нет свободных дескрипторов, закрыто коннекций: {number}"),
    };
}
} // namespace

Proxy::Proxy(QObject *parent)
    : QObject(parent)
    , m_admission({.ClubPerAddress = ClubConnectionsPerAddress,
                   .OtherPerAddress = OtherConnectionsPerAddress,
                   .MaxShare = MaxConnectionIndex,
                   .DescriptorsPerConnection = 2},
                  RelayTexts(),
                  {.Connection = [this](int Descriptor,
                                        const QString &Address) { return ConnectionRequest(Descriptor, Address); },
                   .CloseLeastActive = [this](const QString &Address) { return CloseLeastActive(Address); },
                   .Sweep = [this](qint64 NowMs) { Sweep(NowMs); },
                   .Write = &WriteMainLog,
                   .Trace = [this](const QString &Text) { LogMessage(Text, 0, TraceError); },
                   .CountsAsClub =
                       [this](const QString &Address) {
                           return MayUseInternet(Address);
                       }})
{
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

qsizetype Proxy::ParkedSockets() const
{
    return m_park.Count();
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

bool Proxy::MayUseInternet(const QString &ClientIP)
{
    bool allowed = true;
    emit InternetAllowed(ClientIP, allowed);
    return allowed;
}

bool Proxy::RefuseArrival(const QString &ClientIP)
{
    bool cancel = false;
    emit RequestArrived(ClientIP, cancel);
    return cancel;
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
        m_admission.Start(QHostAddress(QHostAddress::AnyIPv4), static_cast<quint16>(Port), description);
    }
    if (!description.isEmpty()) {
        ErrString = QStringLiteral("Ошибка инициализации: ") + description;
        LogMessage(QStringLiteral("Start: ") + description, 0, TraceError);
        return false;
    }
    LogMessage(QStringLiteral("Start: Completed!"), 0);
    return true;
}

void Proxy::Shutdown()
{
    LogMessage(QStringLiteral("Shutdown"), 0);
    m_admission.Stop();
    CloseConnections();
    LogMessage(QStringLiteral("Shutdown: Completed!"), 0);
}

bool Proxy::IsActive() const
{
    return m_admission.IsListening();
}

void Proxy::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_admission.SetClubAddresses(Addresses);
}

QSet<QString> Proxy::ClubAddresses() const
{
    return m_admission.ClubAddresses();
}

void Proxy::CloseConnections()
{
    LogMessage(QStringLiteral("CloseConnections. Connections number=") + Num(qint64(m_connections.size())), 0);
    for (const qint32 index : ConnectionIndexes()) {
        KillConnection(index, KillMode::Both);
    }
    LogMessage(QStringLiteral("CloseConnections: Completed!"), 0);
}

bool Proxy::ConnectionRequest(int Descriptor, const QString &Address)
{
    LogMessage(QStringLiteral("Listener_ConnectionRequest"), 0);
    RelayConnection *connection = CreateConnection(Descriptor, Address);
    if (!connection) {
        return false;
    }
    // Held before the first trace line: its host may close the pair and wait, and the wait would
    // free it.
    const RelayConnection::Hold hold(*connection);
    LogConnectionStates();
    LogMessage(QStringLiteral("Listener_ConnectionRequest: NewIndex=") + Num(connection->Index()), 0);
    // The host of the trace may have shut the relay down or started it anew: the pair is gone.
    if (connection->IsUnloaded()) {
        return true;
    }
    QString errText;
    if (!ConnectOuter(*connection, errText)) {
        LogMessage(errText, 0, TraceError);
        connection->Kill(KillMode::Both);
        return true;
    }
    connection->Wire();
    LogMessage(QStringLiteral("Listener_ConnectionRequest: Completed!"), 0);
    connection->RelayIfConnected();
    return true;
}

RelayConnection *Proxy::CreateConnection(int Descriptor, const QString &Address)
{
    // Pairs that ended are found by their own events or by the sweep: an accept asks nothing of the
    // others.
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
    auto *connection = new RelayConnection(index, socket.release(), Address, *this, this);
    m_connections.emplace(index, connection);
    return connection;
}

qint32 Proxy::GetFreeConnectionIndex()
{
    if (!m_freeIndexes.empty()) {
        const qint32 index = *m_freeIndexes.begin();
        m_freeIndexes.erase(m_freeIndexes.begin());
        return index;
    }
    if (m_nextIndex > MaxConnectionIndex) {
        return 0;
    }
    return m_nextIndex++;
}

void Proxy::FreeIndex(qint32 Index)
{
    m_freeIndexes.insert(Index);
    // The free indexes at the top are not kept: the next new one is taken after the highest in use.
    while (!m_freeIndexes.empty() && *m_freeIndexes.rbegin() == m_nextIndex - 1) {
        m_freeIndexes.erase(std::prev(m_freeIndexes.end()));
        --m_nextIndex;
    }
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
    FreeIndex(Connection.Index());
    m_admission.Release(Connection.ClientIP());
}

bool Proxy::CloseLeastActive(const QString &Address)
{
    RelayConnection *oldest = nullptr;
    for (const auto &[index, connection] : m_connections) {
        if (connection->ClientIP() == Address && !connection->IsUnloaded()
            && (!oldest || connection->ActiveMs() < oldest->ActiveMs())) {
            oldest = connection;
        }
    }
    if (!oldest) {
        return false;
    }
    oldest->Kill(KillMode::Both);
    return true;
}

void Proxy::Sweep(qint64 NowMs)
{
    // Each line goes to the host's trace, which may change the table: the walk is over a copy, and
    // the pair is closed only if it is still the one that expired.
    for (const qint32 index : ConnectionIndexes()) {
        const QPointer<RelayConnection> connection = Find(index);
        const QString expired = connection ? connection->Expired(NowMs) : QString();
        if (!expired.isEmpty()) {
            LogMessage(expired, index);
            if (connection) {
                connection->Kill(KillMode::Both);
            }
        } else if (connection && connection->Ended()) {
            // Both sides closed without a kill that could free the pair (after a socket error).
            KillConnection(index, KillMode::Tidy);
        } else if (connection) {
            connection->ParkIfQuiet(NowMs, m_park);
        }
    }
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
