#include "proxy/proxy.h"

#include "core/mainlog.h"
#include "proxy/relaypair.h"
#include "proxy/requesturl.h"

#include <QPointer>
#include <QSignalBlocker>
#include <QTcpSocket>

namespace
{
// The start of a chunk that becomes text for the URL and the trace: bytes 0 to 150.
constexpr qsizetype TextWindowLast = 150;
constexpr qsizetype OverviewRuleLength = 45;
constexpr int MillisecondsPerSecond = 1000;
constexpr qint32 MaxPortNumber = 65535;

QString Num(qint64 Value)
{
    return QString::number(Value);
}

// Closes a socket now, without the signals of a close the peer made: the rules that called it go
// on with the other side themselves.
void CloseSocket(QTcpSocket &Socket)
{
    const QSignalBlocker blocker(Socket);
    Socket.abort();
}

// A pair in use further up the stack: by the handler of one of its events, a KillConnection or a
// host call on its behalf. A pair unloaded meanwhile is freed once the last use ends, so whatever a
// trace line or a host call runs cannot free it under its user.
class PairHold final
{
public:
    explicit PairHold(RelayPair &Pair)
        : m_pair(&Pair)
    {
        ++Pair.Holds;
    }

    ~PairHold()
    {
        if (m_pair && --m_pair->Holds == 0 && m_pair->Unloaded) {
            m_pair->deleteLater();
        }
    }

    PairHold(const PairHold &) = delete;
    PairHold &operator=(const PairHold &) = delete;

private:
    const QPointer<RelayPair> m_pair;
};
} // namespace

Proxy::Proxy(QObject *parent)
    : QObject(parent)
{
    connect(&m_listener, &QTcpServer::newConnection, this, [this] {
        m_acceptErrors = 0;
        while (QTcpSocket *socket = m_listener.nextPendingConnection()) {
            ConnectionRequest(socket);
        }
    });
    connect(&m_listener, &QTcpServer::acceptError, this, &Proxy::ListenerError);
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

bool Proxy::Start(qint32 Port, QString &ErrString)
{
    LogMessage(QStringLiteral("Start, Port=") + Num(Port), 0);
    Shutdown();
    m_port = Port;
    QString description;
    if (Port < 0 || Port > MaxPortNumber) {
        description = QStringLiteral("недопустимый номер порта ") + Num(Port);
    } else if (!m_listener.listen(QHostAddress::AnyIPv4, static_cast<quint16>(Port))) {
        description = m_listener.errorString();
    }
    if (!description.isEmpty()) {
        ErrString = QStringLiteral("Ошибка инициализации: ") + description;
        LogMessage(QStringLiteral("Start: ") + description, 0, TraceError);
        return false;
    }
    m_listenerFailed = false;
    m_acceptPaused = false;
    m_acceptErrors = 0;
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
    if (m_listener.isListening()) {
        m_listener.close();
    }
    CloseConnections();
    m_listenerFailed = false;
    m_acceptPaused = false;
    LogMessage(QStringLiteral("Shutdown: Completed!"), 0);
}

bool Proxy::IsActive() const
{
    return m_listener.isListening() && !m_listenerFailed;
}

void Proxy::CloseConnections()
{
    LogMessage(QStringLiteral("CloseConnections. Connections number=") + Num(qint64(m_connections.size())), 0);
    for (const qint32 index : ConnectionIndexes()) {
        KillConnection(index, kmBoth);
    }
    LogMessage(QStringLiteral("CloseConnections: Completed!"), 0);
}

void Proxy::ListenerError(QAbstractSocket::SocketError Error)
{
    LogMessage(QStringLiteral("(Listener_Error) ") + m_listener.errorString(), 0, TraceError);
    // The trace's host may have shut the relay down or started it anew.
    if (!m_listener.isListening()) {
        return;
    }
    if (Error == QAbstractSocket::SocketResourceError) {
        OutOfDescriptors();
        return;
    }
    // Most accept errors belong to one connection that failed while it waited (the peer reset it,
    // a protocol or routing error): the next one is served as usual. Errors that keep coming with
    // no connection between them are the listening socket's own.
    if (++m_acceptErrors < AcceptErrorsBeforeRestart) {
        m_listener.resumeAccepting();
        return;
    }
    RestartListener();
}

void Proxy::RestartListener()
{
    m_acceptErrors = 0;
    const QString head = QStringLiteral("Прокси: прослушиватель порта ") + Num(m_port);
    m_listener.close();
    if (m_listener.listen(QHostAddress::AnyIPv4, static_cast<quint16>(m_port))) {
        MainLog().Log(head + QStringLiteral(" открыт заново после ошибок приёма соединений"), Logger::KindError);
        return;
    }
    // Not listening, as IsActive says; the host's next Start opens it again.
    m_listenerFailed = true;
    const QString error = m_listener.errorString();
    MainLog().Log(head + QStringLiteral(" не открыт заново: ") + error, Logger::KindError);
    LogMessage(QStringLiteral("(Listener_Error) ") + error, 0, TraceError);
}

void Proxy::OutOfDescriptors()
{
    // Out of descriptors: what waits cannot be served now and is closed, not left hanging.
    int closed = 0;
    QString err;
    if (m_spare.CloseWaiting(m_listener.socketDescriptor(), closed, err)) {
        m_listener.resumeAccepting();
        LogMessage(QStringLiteral("(Listener_Error) Нет свободных дескрипторов, закрыто коннекций: ") + Num(closed),
                   0,
                   TraceError);
        return;
    }
    LogMessage(QStringLiteral("(Listener_Error) ") + err, 0, TraceError);
    // Without the reserve, accepting resumes when a pair frees its descriptors.
    m_acceptPaused = true;
    if (m_connections.empty()) {
        m_listenerFailed = true;
    }
}

void Proxy::ConnectionRequest(QTcpSocket *Socket)
{
    LogMessage(QStringLiteral("Listener_ConnectionRequest"), 0);
    RelayPair *pair = CreateConnection(Socket);
    if (!pair) {
        Socket->abort();
        Socket->deleteLater();
        return;
    }
    const PairHold hold(*pair);
    const qint32 index = pair->Index;
    LogMessage(QStringLiteral("Listener_ConnectionRequest: NewIndex=") + Num(index), 0);
    // The host of the trace may have shut the relay down or started it anew: the pair is gone.
    if (!IsCurrent(pair)) {
        return;
    }
    QString errText;
    if (!ClientConnect(pair, errText)) {
        LogMessage(errText, 0, TraceError);
        KillConnection(index, kmBoth, pair);
        return;
    }
    WireSockets(pair);
    LogMessage(QStringLiteral("Listener_ConnectionRequest: Completed!"), 0);
    if (pair->Client->state() == QAbstractSocket::ConnectedState) {
        ClientConnected(pair);
    }
}

RelayPair *Proxy::CreateConnection(QTcpSocket *Socket)
{
    CheckConnections();
    const qint32 index = GetFreeConnectionIndex();
    if (index == 0) {
        LogMessage(QStringLiteral("(CreateConnection): Нет свободного номера коннекции"), 0, TraceError);
        return nullptr;
    }
    auto *pair = new RelayPair(index, Socket, MaxPendingBytes, this);
    m_connections.emplace(index, pair);
    LogConnectionStates();
    return pair;
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

bool Proxy::ClientConnect(RelayPair *Pair, QString &ErrText)
{
    const QString prefix = QStringLiteral("Ошибка открытия коннекции с прокси: ");
    if (m_outerProxyIP.trimmed().isEmpty() || m_outerProxyPort <= 0 || m_outerProxyPort > MaxPortNumber) {
        ErrText = prefix + QStringLiteral("не задан адрес внешнего прокси (") + m_outerProxyIP + QLatin1Char(':')
                  + Num(m_outerProxyPort) + QLatin1Char(')');
        return false;
    }
    QTcpSocket *client = Pair->Client;
    // A failure found at once (no descriptor left, an address that cannot be used) leaves the
    // socket closed; a later one comes as its error.
    client->connectToHost(m_outerProxyIP.trimmed(), static_cast<quint16>(m_outerProxyPort));
    if (client->state() == QAbstractSocket::UnconnectedState) {
        ErrText = prefix + client->errorString();
        return false;
    }
    if (m_connectTimeout > 0 && client->state() != QAbstractSocket::ConnectedState) {
        Pair->ConnectTimer.start(m_connectTimeout * MillisecondsPerSecond);
    }
    return true;
}

void Proxy::WireSockets(RelayPair *Pair)
{
    QTcpSocket *server = Pair->Server;
    QTcpSocket *client = Pair->Client;
    // Every event holds its pair while it is handled.
    const auto held = [this, Pair](void (Proxy::*Handler)(RelayPair *)) {
        return [this, Pair, Handler] {
            const PairHold hold(*Pair);
            (this->*Handler)(Pair);
        };
    };
    const auto heldProgress = [this, Pair](void (Proxy::*Handler)(RelayPair *, qint64)) {
        return [this, Pair, Handler](qint64 Bytes) {
            const PairHold hold(*Pair);
            (this->*Handler)(Pair, Bytes);
        };
    };
    connect(server, &QTcpSocket::readyRead, Pair, held(&Proxy::ServerDataArrival));
    connect(server, &QTcpSocket::bytesWritten, Pair, heldProgress(&Proxy::ServerBytesWritten));
    connect(server, &QTcpSocket::disconnected, Pair, held(&Proxy::ServerClosed));
    connect(server, &QTcpSocket::errorOccurred, Pair, held(&Proxy::ServerError));
    connect(client, &QTcpSocket::connected, Pair, held(&Proxy::ClientConnected));
    connect(client, &QTcpSocket::readyRead, Pair, held(&Proxy::ClientDataArrival));
    connect(client, &QTcpSocket::bytesWritten, Pair, heldProgress(&Proxy::ClientBytesWritten));
    connect(client, &QTcpSocket::disconnected, Pair, held(&Proxy::ClientClosed));
    connect(client, &QTcpSocket::errorOccurred, Pair, held(&Proxy::ClientError));
    connect(&Pair->ConnectTimer, &QTimer::timeout, Pair, held(&Proxy::ConnectTimedOut));
}

RelayPair *Proxy::Find(qint32 Index) const
{
    const auto found = m_connections.find(Index);
    return found == m_connections.end() ? nullptr : found->second;
}

bool Proxy::IsCurrent(const RelayPair *Pair) const
{
    return Pair && Find(Pair->Index) == Pair;
}

void Proxy::CheckConnections()
{
    for (const qint32 index : ConnectionIndexes()) {
        KillConnection(index, kmTidy);
    }
}

void Proxy::KillConnection(qint32 Index, qint32 Mode, const RelayPair *Expected)
{
    const QString head = QStringLiteral("KillConnection(") + Num(Index);
    LogMessage(head + QLatin1Char(',') + Num(Mode) + QLatin1Char(')'), Index);
    RelayPair *pair = Find(Index);
    if (!pair || (Expected && pair != Expected)) {
        LogMessage(head + QStringLiteral("): Уже удалена!"), Index);
        return;
    }
    const PairHold hold(*pair);
    QTcpSocket &server = *pair->Server;
    QTcpSocket &client = *pair->Client;
    if ((Mode == kmBoth || Mode == kmClientDone) && IsRelayOpen(client)) {
        LogMessage(head + QStringLiteral(") Client state=") + Num(RelayState(client)) + QStringLiteral(". Closing"),
                   Index);
        CloseSocket(client);
    }
    if ((Mode == kmBoth || Mode == kmServerDone) && IsRelayOpen(server)) {
        LogMessage(head + QStringLiteral(") Server state=") + Num(RelayState(server)) + QStringLiteral(". Closing"),
                   Index);
        CloseSocket(server);
    }
    if (IsRelayOpen(client) && !IsRelayOpen(server) && client.bytesToWrite() == 0) {
        LogMessage(head + QStringLiteral(") Client not closed, but sent. Closing"), Index);
        CloseSocket(client);
    }
    if (IsRelayOpen(server) && !IsRelayOpen(client) && server.bytesToWrite() == 0) {
        LogMessage(head + QStringLiteral(") Server not closed, but sent. Closing"), Index);
        CloseSocket(server);
    }
    if (Mode == kmBoth || (!IsRelayOpen(client) && !IsRelayOpen(server))) {
        LogMessage(head + QStringLiteral(") Unloading control 'Client'"), Index);
        LogMessage(head + QStringLiteral(") Unloading control 'Server'"), Index);
        LogMessage(head + QStringLiteral(") Remove from Collection"), Index);
        Unload(pair);
    }
    LogMessage(QStringLiteral("KillConnection: Completed!"), Index);
    LogConnectionStates();
}

void Proxy::Unload(RelayPair *Pair)
{
    // A trace line's host may have unloaded it already, and a new pair may hold its index now.
    if (!IsCurrent(Pair)) {
        return;
    }
    m_connections.erase(Pair->Index);
    Pair->ConnectTimer.stop();
    // No event of these sockets reaches the relay any more; a handler further up the stack that
    // still holds the pair finds it gone from the table.
    Pair->Server->disconnect(Pair);
    Pair->Client->disconnect(Pair);
    CloseSocket(*Pair->Server);
    CloseSocket(*Pair->Client);
    if (Pair->Holds > 0) {
        Pair->Unloaded = true;
    } else {
        Pair->deleteLater();
    }
    if (m_acceptPaused && m_listener.isListening()) {
        m_acceptPaused = false;
        m_listenerFailed = false;
        m_listener.resumeAccepting();
    }
}

qint32 Proxy::GetConnectionState(qint32 Index) const
{
    const RelayPair *pair = Find(Index);
    if (!pair) {
        return 0;
    }
    const bool server = IsRelayOpen(*pair->Server);
    const bool client = IsRelayOpen(*pair->Client);
    if (server && client) {
        return 1;
    }
    if (server) {
        return 2;
    }
    return client ? 3 : 0;
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
        LogMessage(QStringLiteral("... ") + Num(index) + QStringLiteral(": State=") + Num(GetConnectionState(index)),
                   0);
    }
    LogMessage(rule, 0);
}

void Proxy::ServerDataArrival(RelayPair *Pair)
{
    if (Pair->ServerBusy || !IsCurrent(Pair)) {
        return;
    }
    const QPointer<RelayPair> pair(Pair);
    Pair->ServerBusy = true;
    // Readyread is not raised again for data that came while the host had a chunk: look again.
    bool more = RelayRequestChunk(Pair);
    while (more && IsCurrent(pair) && pair->Server->bytesAvailable() > 0) {
        more = RelayRequestChunk(Pair);
    }
    if (pair) {
        pair->ServerBusy = false;
    }
}

bool Proxy::RelayRequestChunk(RelayPair *Pair)
{
    const qint32 index = Pair->Index;
    const QString head = QStringLiteral("Server_DataArrival: Connection №=") + Num(index);
    QTcpSocket *server = Pair->Server;
    QTcpSocket *client = Pair->Client;
    const qint64 waiting = server->bytesAvailable();
    LogMessage(head + QStringLiteral(", BytesTotal=") + Num(waiting), index);
    switch (RelayState(*client)) {
    case rsClosed:
        LogMessage(QStringLiteral("Server_DataArrival(") + Num(index) + QStringLiteral("): Клиент закрыт!"),
                   index,
                   TraceError);
        KillConnection(index, kmBoth, Pair);
        return false;
    case rsConnecting:
        // The bytes wait in the socket until the outer side connects.
        LogMessage(QStringLiteral("Server_DataArrival(") + Num(index) + QStringLiteral("): Клиент ещё соединяется!"),
                   index);
        return false;
    default:
        break;
    }
    // With the outer side's backlog full, reading waits for it to drain.
    if (waiting == 0 || client->bytesToWrite() > MaxPendingBytes) {
        return false;
    }
    const QByteArray data = server->readAll();
    const QString text = BytesToString(data, TextWindowLast);
    LogMessage(head + QStringLiteral(": ") + text, index);
    const QString url = GetRequestURL(text);
    bool cancel = false;
    {
        const PairHold hold(*Pair);
        emit RequestedURL(Pair->ClientIP, url, static_cast<qint32>(data.size()), cancel);
        // The host may have waited: the pair may have left the relay and its sockets be closed.
        if (!IsCurrent(Pair)) {
            return false;
        }
    }
    if (cancel) {
        LogMessage(head + QStringLiteral(": Запрет на загрузку - RemoteIP=") + Pair->ClientIP
                       + QStringLiteral(", URL='") + url + QStringLiteral("'!"),
                   index);
        KillConnection(index, kmBoth, Pair);
        return false;
    }
    LogMessage(QStringLiteral("Server_DataArrival(") + Num(index) + QStringLiteral("): Отправляем на клиент... (State=")
                   + Num(RelayState(*client)) + QLatin1Char(')'),
               index);
    if (client->state() != QAbstractSocket::ConnectedState || client->write(data) != data.size()) {
        LogMessage(head + QStringLiteral(": ") + client->errorString(), index, TraceError);
        KillConnection(index, kmBoth, Pair);
        return false;
    }
    LogMessage(head + QStringLiteral(": Completed!"), index);
    return true;
}

void Proxy::ClientDataArrival(RelayPair *Pair)
{
    if (Pair->ClientBusy || !IsCurrent(Pair)) {
        return;
    }
    const QPointer<RelayPair> pair(Pair);
    Pair->ClientBusy = true;
    bool more = RelayResponseChunk(Pair);
    while (more && IsCurrent(pair) && pair->Client->bytesAvailable() > 0) {
        more = RelayResponseChunk(Pair);
    }
    if (!pair) {
        return;
    }
    pair->ClientBusy = false;
    // The outer proxy closed while its last bytes waited here: now they are relayed, the close
    // rules see that side closed.
    if (IsCurrent(pair) && !IsRelayOpen(*pair->Client)) {
        KillConnection(pair->Index, kmTidy, pair);
    }
}

bool Proxy::RelayResponseChunk(RelayPair *Pair)
{
    const qint32 index = Pair->Index;
    const QString head = QStringLiteral("(Client_DataArrival(") + Num(index) + QStringLiteral("))");
    QTcpSocket *server = Pair->Server;
    QTcpSocket *client = Pair->Client;
    const qint64 waiting = client->bytesAvailable();
    LogMessage(head + QStringLiteral(" BytesTotal=") + Num(waiting), index);
    if (waiting == 0) {
        LogMessage(head + QStringLiteral(" No data, exit..."), index);
        return false;
    }
    if (server->bytesToWrite() > MaxPendingBytes) {
        return false;
    }
    const QByteArray data = client->readAll();
    LogMessage(head + QStringLiteral(" Loaded Length=") + Num(data.size()), index);
    bool cancel = false;
    {
        const PairHold hold(*Pair);
        emit ReceivedData(Pair->ClientIP, static_cast<qint32>(data.size()), cancel);
        if (!IsCurrent(Pair)) {
            return false;
        }
    }
    if (cancel) {
        LogMessage(head + QStringLiteral(" : Отменено пользователем."), index);
        KillConnection(index, kmClientDone, Pair);
        return false;
    }
    LogMessage(head + QStringLiteral(" : Sending to server (State=") + Num(RelayState(*server)) + QLatin1Char(')'),
               index);
    // A client computer that has gone gets nothing: the chunk is dropped.
    if (server->state() == QAbstractSocket::ConnectedState && server->write(data) != data.size()) {
        LogMessage(head + QStringLiteral(": ") + server->errorString(), index, TraceError);
        KillConnection(index, kmBoth, Pair);
        return false;
    }
    if (m_log) {
        LogMessage(head + QStringLiteral(" : Send Complete - ") + BytesToString(data, TextWindowLast), index);
    }
    return true;
}

void Proxy::ClientConnected(RelayPair *Pair)
{
    if (!IsCurrent(Pair)) {
        return;
    }
    Pair->ConnectTimer.stop();
    LogMessage(QStringLiteral("Client_Connect(") + Num(Pair->Index) + QLatin1Char(')'), Pair->Index);
    ServerDataArrival(Pair);
}

void Proxy::ConnectTimedOut(RelayPair *Pair)
{
    if (!IsCurrent(Pair) || RelayState(*Pair->Client) != rsConnecting) {
        return;
    }
    LogMessage(QStringLiteral("(Client_Error(") + Num(Pair->Index)
                   + QStringLiteral(")): Истекло время соединения с прокси, секунд: ") + Num(m_connectTimeout),
               Pair->Index,
               TraceError);
    KillConnection(Pair->Index, kmBoth, Pair);
}

void Proxy::ServerBytesWritten(RelayPair *Pair, qint64 Bytes)
{
    if (!IsCurrent(Pair)) {
        return;
    }
    const qint32 index = Pair->Index;
    const qint64 remain = Pair->Server->bytesToWrite();
    LogMessage(QStringLiteral("Server_SendProgress(") + Num(index) + QStringLiteral(") BytesSent=") + Num(Bytes)
                   + QStringLiteral(", BytesRemain=") + Num(remain),
               index);
    if (remain == 0) {
        LogMessage(QStringLiteral("Server_SendComplete(") + Num(index) + QLatin1Char(')'), index);
        KillConnection(index, kmTidy, Pair);
    }
    // A response held back while this side's backlog was full goes on.
    if (IsCurrent(Pair) && remain <= MaxPendingBytes && Pair->Client->bytesAvailable() > 0) {
        ClientDataArrival(Pair);
    }
}

void Proxy::ClientBytesWritten(RelayPair *Pair, qint64 Bytes)
{
    if (!IsCurrent(Pair)) {
        return;
    }
    const qint32 index = Pair->Index;
    const qint64 remain = Pair->Client->bytesToWrite();
    LogMessage(QStringLiteral("Client_SendProgress(") + Num(index) + QStringLiteral(") BytesSent=") + Num(Bytes)
                   + QStringLiteral(", BytesRemain=") + Num(remain),
               index);
    if (remain == 0) {
        LogMessage(QStringLiteral("(Client_SendComplete(") + Num(index) + QStringLiteral("))"), index);
        KillConnection(index, kmTidy, Pair);
    }
    if (IsCurrent(Pair) && remain <= MaxPendingBytes && Pair->Server->bytesAvailable() > 0) {
        ServerDataArrival(Pair);
    }
}

void Proxy::ServerClosed(RelayPair *Pair)
{
    if (!IsCurrent(Pair)) {
        return;
    }
    LogMessage(QStringLiteral("(Server_Close(") + Num(Pair->Index) + QStringLiteral(")) "), Pair->Index);
    KillConnection(Pair->Index, kmServerDone, Pair);
}

void Proxy::ClientClosed(RelayPair *Pair)
{
    if (!IsCurrent(Pair)) {
        return;
    }
    LogMessage(QStringLiteral("(Client_Close(") + Num(Pair->Index) + QStringLiteral("))"), Pair->Index);
    // What the outer proxy sent before it closed is still relayed; the pair closes after it.
    if (Pair->Client->bytesAvailable() > 0) {
        ClientDataArrival(Pair);
        return;
    }
    KillConnection(Pair->Index, kmClientDone, Pair);
}

void Proxy::ServerError(RelayPair *Pair)
{
    // A peer's ordinary close comes as an error too; its disconnected event closes the pair.
    if (!IsCurrent(Pair) || Pair->Server->error() == QAbstractSocket::RemoteHostClosedError) {
        return;
    }
    LogMessage(QStringLiteral("Server_Error(") + Num(Pair->Index) + QStringLiteral("): ") + Pair->Server->errorString(),
               Pair->Index,
               TraceError);
    KillConnection(Pair->Index, kmBoth, Pair);
}

void Proxy::ClientError(RelayPair *Pair)
{
    if (!IsCurrent(Pair) || Pair->Client->error() == QAbstractSocket::RemoteHostClosedError) {
        return;
    }
    LogMessage(QStringLiteral("(Client_Error(") + Num(Pair->Index) + QStringLiteral(")): ")
                   + Pair->Client->errorString(),
               Pair->Index,
               TraceError);
    KillConnection(Pair->Index, kmBoth, Pair);
}
