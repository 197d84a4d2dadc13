#include "proxy/relayconnection.h"

#include "proxy/notifierpark.h"
#include "proxy/relayhost.h"
#include "proxy/requesturl.h"
#include "steadyclock.h"

#include <QEvent>
#include <QSocketNotifier>
#include <QTcpSocket>

namespace
{
// The start of a chunk that becomes text for the URL and the trace: bytes 0 to 150.
constexpr qsizetype TextWindowLast = 150;
constexpr int MillisecondsPerSecond = 1000;

constexpr RelaySideKind ComputerSide{.Name = "Server",
                                     .DoneMode = KillMode::ServerDone,
                                     .RelaysAfterClose = false,
                                     .HalfCloses = true,
                                     .Closed = "(Server_Close(%1)) ",
                                     .Error = "Server_Error(%1): ",
                                     .SendProgress = "Server_SendProgress(%1)",
                                     .SendComplete = "Server_SendComplete(%1)"};
// What the outer proxy sent before it closed still reaches the client computer.
constexpr RelaySideKind OuterSide{.Name = "Client",
                                  .DoneMode = KillMode::ClientDone,
                                  .RelaysAfterClose = true,
                                  .HalfCloses = false,
                                  .Closed = "(Client_Close(%1))",
                                  .Error = "(Client_Error(%1)): ",
                                  .SendProgress = "Client_SendProgress(%1)",
                                  .SendComplete = "(Client_SendComplete(%1))"};
constexpr const char *RequestLabel = "Server_DataArrival(%1): ";
constexpr const char *KillLabel = "KillConnection(%1) ";
constexpr const char *IdleLabel = "IdleTimeout(%1): ";

QString Num(qint64 Value)
{
    return QString::number(Value);
}

QString Num(RelaySocketState State)
{
    return Num(static_cast<qint32>(State));
}

// The read notifier of the socket's engine, once it has one. Unchecked by the sanitizer's type
// check: for a type it has not met yet it opens a pipe, and with no descriptor left (when the
// relay must go on) it takes every notifier for a broken object.
__attribute__((no_sanitize("vptr"))) QSocketNotifier *ReadNotifier(const QTcpSocket &Socket)
{
    for (QSocketNotifier *notifier : Socket.findChildren<QSocketNotifier *>()) {
        if (notifier->type() == QSocketNotifier::Read) {
            return notifier;
        }
    }
    return nullptr;
}

QTcpSocket &Adopted(QTcpSocket &Socket, QObject *Owner)
{
    Socket.setParent(Owner);
    Socket.setReadBufferSize(RelayConnection::MaxPendingBytes);
    Socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return Socket;
}
} // namespace

RelayConnection::RelayConnection(qint32 Index,
                                 QTcpSocket *Server,
                                 const QString &ClientIP,
                                 RelayHost &Host,
                                 QObject *parent)
    : QObject(parent)
    , m_host(Host)
    , m_index(Index)
    , m_clientIP(ClientIP)
    , m_computer(Adopted(*Server, this), ComputerSide)
    , m_outer(Adopted(*new QTcpSocket, this), OuterSide)
    , m_acceptedMs(SteadyClock::NowMs())
    , m_activeMs(m_acceptedMs)
{
    m_connectTimer.setSingleShot(true);
    m_endTimer.setSingleShot(true);
    m_endTimer.setInterval(EndCheckMs);
}

qint32 RelayConnection::Index() const
{
    return m_index;
}

QString RelayConnection::ClientIP() const
{
    return m_clientIP;
}

bool RelayConnection::IsUnloaded() const
{
    return m_unloaded;
}

RelayConnection::PairState RelayConnection::State() const
{
    const bool computer = m_computer.IsOpen();
    const bool outer = m_outer.IsOpen();
    if (computer && outer) {
        return PairState::Open;
    }
    if (computer) {
        return PairState::ServerOnly;
    }
    return outer ? PairState::ClientOnly : PairState::Closed;
}

bool RelayConnection::Ended() const
{
    const auto closed = [](const QTcpSocket &Socket) {
        return Socket.state() == QAbstractSocket::UnconnectedState && Socket.bytesAvailable() == 0;
    };
    return !m_unloaded && closed(m_computer.Socket) && closed(m_outer.Socket);
}

bool RelayConnection::ConnectOuter(const QString &IP, quint16 Port, qint32 TimeoutSeconds, QString &ErrText)
{
    QTcpSocket &outer = m_outer.Socket;
    // A later failure comes as the socket's error.
    outer.connectToHost(IP, Port);
    if (outer.state() == QAbstractSocket::UnconnectedState) {
        ErrText = outer.errorString();
        return false;
    }
    if (TimeoutSeconds > 0 && outer.state() != QAbstractSocket::ConnectedState) {
        m_connectTimer.start(TimeoutSeconds * MillisecondsPerSecond);
    }
    return true;
}

void RelayConnection::Wire()
{
    // What the client computer sent before its events were wired is its request.
    if (m_computer.Socket.bytesAvailable() > 0) {
        Touch(m_computer);
    }
    WireSide(m_computer);
    WireSide(m_outer);
    connect(&m_outer.Socket, &QTcpSocket::connected, this, [this] {
        const Hold hold(*this);
        OuterConnected();
    });
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        const Hold hold(*this);
        ConnectTimedOut();
    });
    // The socket takes the end of the client computer's sending for a close, as it reads it.
    m_computerReads = ReadNotifier(m_computer.Socket);
    if (m_computerReads) {
        m_computerReads->installEventFilter(this);
    }
    connect(&m_endTimer, &QTimer::timeout, this, [this] {
        const Hold hold(*this);
        if (!m_unloaded && CountDelivered()) {
            ReadComputerEnd();
        }
    });
}

bool RelayConnection::eventFilter(QObject *Watched, QEvent *Event)
{
    const bool read = Event->type() == QEvent::SockAct || Event->type() == QEvent::SockClose;
    if (!read || Watched != m_computerReads || m_unloaded || !m_computer.PeerEnded() || m_computer.SystemHoldsBytes()) {
        return QObject::eventFilter(Watched, Event);
    }
    // A client computer that has ended its sending after its request still reads the answer, until
    // the outer proxy closes: its end is left unread until it has been given all, or it turns out
    // to have closed for good. One that ends with its answers given closes as it did.
    const Hold hold(*this);
    m_keepForAnswer = m_keepForAnswer || (m_awaitingAnswer && m_outer.IsOpen());
    if (m_computer.PeerClosed() || !OwesComputer()) {
        // The socket reads the end and closes the side: what it acknowledged is counted first.
        return !CountFinal() || QObject::eventFilter(Watched, Event);
    }
    m_computerReads->setEnabled(false);
    m_computerEndUnread = true;
    m_computerEnded = true;
    EndToOuter();
    WatchComputerEnd();
    return true;
}

// A request cut short in its head is ended to the outer proxy too, as the client computer ended it:
// the outer proxy closes, and the pair ends. A whole one's end is kept from it: an outer proxy that
// reads the end of its client's sending drops the rest of the answer (tinyproxy does).
void RelayConnection::EndToOuter()
{
    QString err;
    // A chunk with the host is not handed on yet.
    if (m_computerEnded && !m_endedToOuter && !m_requestHeadEnded && !m_computer.Busy
        && m_outer.Socket.state() == QAbstractSocket::ConnectedState && m_computer.Socket.bytesAvailable() == 0
        && m_outer.Socket.bytesToWrite() == 0) {
        m_endedToOuter = true;
        if (!m_outer.EndWriting(err)) {
            Trace(Label(m_outer.Kind.Error) + err, RelayHost::TraceError);
        }
    }
}

bool RelayConnection::OwesComputer() const
{
    return (m_keepForAnswer && m_outer.IsOpen()) || m_computer.Socket.bytesToWrite() > 0 || !m_computer.Delivered();
}

void RelayConnection::WatchComputerEnd()
{
    if (!m_unloaded && m_computerEndUnread && !m_endTimer.isActive()
        && (m_countedToComputer < m_handedToComputer || !OwesComputer())) {
        m_endTimer.start();
    }
}

void RelayConnection::ReadComputerEnd()
{
    if (m_computerEndUnread && m_computerReads) {
        m_computerEndUnread = false;
        // Read now, the end closes the side, or is left unread again while the pair still owes.
        m_computerReads->setEnabled(true);
    }
}

// Every event holds the connection while it is handled.
void RelayConnection::WireSide(RelaySide &Side)
{
    QTcpSocket *socket = &Side.Socket;
    connect(socket, &QTcpSocket::readyRead, this, [this, &Side] {
        const Hold hold(*this);
        Touch(Side);
        DataArrival(Side);
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, &Side](qint64 Bytes) {
        const Hold hold(*this);
        Touch(Side);
        BytesWritten(Side, Bytes);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, &Side] {
        const Hold hold(*this);
        Closed(Side);
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, &Side] {
        const Hold hold(*this);
        SocketError(Side);
    });
}

void RelayConnection::Touch(const RelaySide &Side)
{
    m_activeMs = SteadyClock::NowMs();
    if (&Side == &m_computer) {
        m_requested = true;
    }
}

QString RelayConnection::Expired(qint64 NowMs) const
{
    if (!m_requested && NowMs - m_acceptedMs >= RequestTimeoutMs) {
        return Label(IdleLabel) + QStringLiteral("Нет запроса, секунд: ")
               + Num(RequestTimeoutMs / MillisecondsPerSecond);
    }
    if (NowMs - m_activeMs >= IdleTimeoutMs) {
        return Label(IdleLabel) + QStringLiteral("Нет обмена, секунд: ") + Num(IdleTimeoutMs / MillisecondsPerSecond);
    }
    return {};
}

void RelayConnection::ParkIfQuiet(qint64 NowMs, NotifierPark &Park)
{
    // A pair that waits on its own (the end of the computer's sending left unread) is left as it is.
    if (m_unloaded || NowMs - m_activeMs < QuietMs || m_computer.Busy || m_outer.Busy || m_computerEndUnread
        || m_endTimer.isActive()) {
        return;
    }
    for (const RelaySide *side : {&m_computer, &m_outer}) {
        const QTcpSocket &socket = side->Socket;
        if (socket.state() != QAbstractSocket::ConnectedState || socket.bytesAvailable() > 0
            || socket.bytesToWrite() > 0) {
            return;
        }
    }
    for (QSocketNotifier *reads : {m_computerReads.data(), ReadNotifier(m_outer.Socket)}) {
        QString err;
        if (reads && reads->isEnabled() && !Park.IsParked(*reads) && !Park.Park(*reads, err)) {
            Trace(err, RelayHost::TraceError);
        }
    }
}

void RelayConnection::RelayIfConnected()
{
    if (m_outer.Socket.state() == QAbstractSocket::ConnectedState) {
        OuterConnected();
    }
}

void RelayConnection::Trace(const QString &Text, qint32 Type)
{
    m_host.Trace(Text, m_index, Type);
}

void RelayConnection::Trace(const QString &Text)
{
    Trace(Text, RelayHost::TraceInfo);
}

QString RelayConnection::Label(const char *Template) const
{
    return QString(QLatin1String(Template)).arg(m_index);
}

RelaySide &RelayConnection::Other(const RelaySide &Side)
{
    return &Side == &m_computer ? m_outer : m_computer;
}

QString RelayConnection::KillLine(qint32 Index, KillMode Mode)
{
    return QStringLiteral("KillConnection(") + Num(Index) + QLatin1Char(',') + Num(static_cast<qint32>(Mode))
           + QLatin1Char(')');
}

QString RelayConnection::GoneLine(qint32 Index)
{
    return QStringLiteral("KillConnection(") + Num(Index) + QStringLiteral("): Уже удалена!");
}

void RelayConnection::Kill(KillMode Mode)
{
    Trace(KillLine(m_index, Mode));
    if (m_unloaded) {
        Trace(GoneLine(m_index));
        return;
    }
    KillFound(Mode);
}

void RelayConnection::KillFound(KillMode Mode)
{
    const Hold hold(*this);
    // What a client computer that ended its sending acknowledged last is counted before its side
    // closes; the host's answer may close the pair.
    if (!CountFinal()) {
        return;
    }
    CloseIfDone(m_outer, Mode);
    CloseIfDone(m_computer, Mode);
    CloseIfSent(m_outer, m_computer);
    CloseIfSent(m_computer, m_outer);
    // The close sent on a local connection may have been acknowledged, with the last bytes, inside
    // the call.
    if (!CountFinal()) {
        return;
    }
    if (Mode == KillMode::Both || (!m_outer.IsOpen() && !m_computer.IsOpen())) {
        Trace(Label(KillLabel) + QStringLiteral("Unloading control '") + m_outer.Name() + QLatin1Char('\''));
        Trace(Label(KillLabel) + QStringLiteral("Unloading control '") + m_computer.Name() + QLatin1Char('\''));
        Trace(Label(KillLabel) + QStringLiteral("Remove from Collection"));
        Unload();
    }
    Trace(QStringLiteral("KillConnection: Completed!"));
    m_host.LogConnectionStates();
    WatchComputerEnd();
}

void RelayConnection::CloseIfDone(const RelaySide &Side, KillMode Mode)
{
    if ((Mode == KillMode::Both || Mode == Side.Kind.DoneMode) && Side.IsOpen()) {
        Trace(Label(KillLabel) + Side.Name() + QStringLiteral(" state=") + Num(Side.State())
              + QStringLiteral(". Closing"));
        Side.Close();
    }
}

// A side whose peer has gone closes once it has sent everything.
void RelayConnection::CloseIfSent(const RelaySide &Side, const RelaySide &Other)
{
    if (!Side.IsOpen() || Other.IsOpen() || Side.Socket.bytesToWrite() > 0) {
        return;
    }
    // Closed while the system still holds bytes for it, the client computer's side would lose them
    // to the reset that anything the computer sends next meets. It is sent the close, and closes
    // once the computer closes too (or by the time-outs).
    if (&Side == &m_computer && !m_computer.Delivered()) {
        EndToComputer();
        return;
    }
    // What a client computer that ended its sending acknowledged last is counted before it closes;
    // the host's answer may have closed it meanwhile.
    if (&Side == &m_computer && (!CountFinal() || !Side.IsOpen())) {
        return;
    }
    Trace(Label(KillLabel) + Side.Name() + QStringLiteral(" not closed, but sent. Closing"));
    Side.Close();
}

bool RelayConnection::CountFinal()
{
    return !m_computer.PeerEnded() || CountDelivered();
}

// A browser that sees the close with the end of the answer asks again on a new connection, not on
// this one.
void RelayConnection::EndToComputer()
{
    if (m_endedToComputer || m_computer.Socket.state() != QAbstractSocket::ConnectedState) {
        return;
    }
    m_endedToComputer = true;
    QString err;
    if (!m_computer.EndWriting(err)) {
        Trace(Label(m_computer.Kind.Error) + err, RelayHost::TraceError);
    }
}

void RelayConnection::Unload()
{
    // A trace line's host may have unloaded it already.
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_connectTimer.stop();
    m_endTimer.stop();
    // No event of these sockets reaches the connection any more; a handler further up the stack
    // that still holds it finds it unloaded. The kill's own hold frees it when the last use ends.
    m_computer.Socket.disconnect(this);
    m_outer.Socket.disconnect(this);
    m_computer.Close();
    m_outer.Close();
    m_host.Released(*this);
}

void RelayConnection::Fail(const QString &Text)
{
    Trace(Text, RelayHost::TraceError);
    Kill(KillMode::Both);
}

void RelayConnection::DataArrival(RelaySide &From)
{
    if (From.Busy || m_unloaded) {
        return;
    }
    const QPointer<RelayConnection> self(this);
    From.Busy = true;
    // Readyread is not raised again for data that came while the host had a chunk: look again.
    bool more = RelayChunk(From);
    while (more && self && !m_unloaded && From.Socket.bytesAvailable() > 0) {
        more = RelayChunk(From);
    }
    if (!self) {
        return;
    }
    From.Busy = false;
    if (&From == &m_computer) {
        EndToOuter();
    }
    // The peer closed while its last bytes waited here: now they are relayed, the close rules see
    // that side closed.
    if (From.Kind.RelaysAfterClose && !m_unloaded && !From.IsOpen()) {
        Kill(KillMode::Tidy);
    }
}

bool RelayConnection::RelayChunk(const RelaySide &From)
{
    return &From == &m_computer ? RelayRequestChunk() : RelayResponseChunk();
}

bool RelayConnection::Offer(const std::function<bool()> &Ask, bool &Cancel)
{
    const Hold hold(*this);
    Cancel = Ask();
    // The host may have waited: the pair may have left the relay and its sockets be closed.
    return !m_unloaded;
}

bool RelayConnection::OuterReady()
{
    if (m_outer.State() == RelaySocketState::Connecting) {
        // The bytes wait in the socket until the outer side connects.
        Trace(Label(RequestLabel) + QStringLiteral("Клиент ещё соединяется!"));
        return false;
    }
    // The outer proxy's close is taken as the system has it: a chunk written after it would be
    // counted and recorded, and reach nobody.
    if (m_outer.State() == RelaySocketState::Connected && !m_outer.PeerClosed()) {
        return true;
    }
    // What the outer proxy sent before it closed still goes to the client computer, whose side then
    // closes by the close rules; the chunk stays unread, and so is never counted.
    if (m_outer.IsOpen() || !m_computer.Delivered()) {
        Trace(Label(RequestLabel) + QStringLiteral("Клиент закрыт, его данные ещё передаются!"));
        return false;
    }
    Fail(Label(RequestLabel) + QStringLiteral("Клиент закрыт!"));
    return false;
}

bool RelayConnection::RelayRequestChunk()
{
    const QString head = QStringLiteral("Server_DataArrival: Connection №=") + Num(m_index);
    QTcpSocket &outer = m_outer.Socket;
    const qint64 waiting = m_computer.Socket.bytesAvailable();
    Trace(head + QStringLiteral(", BytesTotal=") + Num(waiting));
    if (waiting > 0 && !m_awaitingAnswer) {
        // A request after an answer: its head is looked for anew.
        m_awaitingAnswer = true;
        m_requestHeadEnded = false;
        m_requestTail.clear();
    }
    // With the outer side's backlog full, reading waits for it to drain.
    if (!OuterReady() || outer.bytesToWrite() > MaxPendingBytes) {
        return false;
    }
    if (waiting == 0) {
        EndToOuter();
        return false;
    }
    const QByteArray data = m_computer.Socket.read(ChunkBytes);
    const QString text = BytesToString(data, TextWindowLast);
    Trace(head + QStringLiteral(": ") + text);
    const QString url = GetRequestURL(text);
    bool cancel = false;
    if (!Offer([&] { return m_host.RefuseArrival(m_clientIP); }, cancel)) {
        return false;
    }
    if (cancel) {
        RefuseRequest(url);
        return false;
    }
    Trace(Label(RequestLabel) + QStringLiteral("Отправляем на клиент... (State=") + Num(m_outer.State())
          + QLatin1Char(')'));
    // The host may have waited: an outer proxy that has closed meanwhile gets nothing, and the chunk,
    // thrown away, is never counted; its close event ends the pair.
    if (outer.state() == QAbstractSocket::ConnectedState && m_outer.PeerClosed()) {
        Trace(head + QStringLiteral(": Клиент закрыт!"), RelayHost::TraceError);
        return false;
    }
    if (outer.state() != QAbstractSocket::ConnectedState || outer.write(data) != data.size()) {
        Fail(head + QStringLiteral(": ") + outer.errorString());
        return false;
    }
    NoteRequestHead(data);
    m_handedToOuter += data.size();
    m_sentToOuter.push_back({.End = m_handedToOuter, .URL = url, .Offered = false});
    // Handed to the system at once, so that the host counts it now. The flush may run this pair's
    // handlers, the host's answers among them.
    outer.flush();
    if (!CountSent()) {
        return false;
    }
    Trace(head + QStringLiteral(": Completed!"));
    return true;
}

void RelayConnection::NoteRequestHead(const QByteArray &Data)
{
    if (m_requestHeadEnded) {
        return;
    }
    // The blank line may run across chunks.
    static const QByteArray BlankLine("\r\n\r\n");
    const qsizetype kept = BlankLine.size() - 1;
    const QByteArray seam = m_requestTail + Data.left(kept);
    m_requestHeadEnded = seam.contains(BlankLine) || Data.contains(BlankLine);
    m_requestTail = Data.size() >= kept ? Data.right(kept) : seam.right(kept);
}

void RelayConnection::RefuseRequest(const QString &URL)
{
    Trace(QStringLiteral("Server_DataArrival: Connection №=") + Num(m_index)
          + QStringLiteral(": Запрет на загрузку - RemoteIP=") + m_clientIP + QStringLiteral(", URL='") + URL
          + QStringLiteral("'!"));
    Kill(KillMode::Both);
}

bool RelayConnection::CountSent()
{
    QTcpSocket &outer = m_outer.Socket;
    // As for the client computer's side: a closed socket has dropped what it held, uncounted.
    while (!m_unloaded && outer.state() != QAbstractSocket::UnconnectedState && !m_sentToOuter.empty()) {
        const qint64 taken = m_handedToOuter - outer.bytesToWrite();
        SentChunk &chunk = m_sentToOuter.front();
        const qint64 upTo = qMin(taken, chunk.End);
        const qint64 fresh = upTo - m_countedToOuter;
        if (fresh <= 0) {
            return true;
        }
        m_countedToOuter = upTo;
        const QString url = chunk.Offered ? QString() : chunk.URL;
        chunk.Offered = true;
        if (upTo == chunk.End) {
            m_sentToOuter.pop_front();
        }
        bool cancel = false;
        if (!Offer([&] { return m_host.RefuseRequest(m_clientIP, url, static_cast<qint32>(fresh)); }, cancel)) {
            return false;
        }
        if (cancel) {
            RefuseRequest(url);
            return false;
        }
    }
    return !m_unloaded;
}

bool RelayConnection::RelayResponseChunk()
{
    const QString head = QStringLiteral("(Client_DataArrival(") + Num(m_index) + QStringLiteral("))");
    QTcpSocket &computer = m_computer.Socket;
    const qint64 waiting = m_outer.Socket.bytesAvailable();
    Trace(head + QStringLiteral(" BytesTotal=") + Num(waiting));
    if (waiting == 0) {
        Trace(head + QStringLiteral(" No data, exit..."));
        return false;
    }
    // One chunk at a time waits in the client computer's socket: the host is asked about it before
    // the next is read, and the outer side's read buffer holds back the rest.
    if (computer.bytesToWrite() > 0) {
        return false;
    }
    const QByteArray data = m_outer.Socket.read(ChunkBytes);
    Trace(head + QStringLiteral(" Loaded Length=") + Num(data.size()));
    Trace(head + QStringLiteral(" : Sending to server (State=") + Num(m_computer.State()) + QLatin1Char(')'));
    // A client computer that has gone, as far as the system knows, gets nothing: the chunk is
    // dropped, and so not counted.
    if (computer.state() != QAbstractSocket::ConnectedState || m_computer.PeerClosed()) {
        // A reset the socket has not read yet: it reads it now and closes.
        ReadComputerEnd();
    } else {
        if (computer.write(data) != data.size()) {
            Fail(head + QStringLiteral(": ") + computer.errorString());
            return false;
        }
        m_handedToComputer += data.size();
        // The end of the client computer's sending may be seen only after its answer has begun: an
        // end that came before the answer keeps the pair for all of it.
        m_keepForAnswer = m_keepForAnswer || (m_awaitingAnswer && m_computer.PeerEnded());
        m_awaitingAnswer = false;
        // The last of what the outer proxy sent: its end goes with the close (see CountDelivered).
        // Without the hold the close only comes a moment later.
        QString err;
        if (!m_outer.IsOpen() && !m_computer.HoldLastSegment(err)) {
            Trace(Label(m_computer.Kind.Error) + err, RelayHost::TraceError);
        }
        // Handed to the system at once, so that many chunks pass in one turn of the event loop. The
        // flush may run this pair's handlers, the host's answer among them.
        computer.flush();
        if (!CountDelivered()) {
            return false;
        }
    }
    if (m_host.Log()) {
        Trace(head + QStringLiteral(" : Send Complete - ") + BytesToString(data, TextWindowLast));
    }
    return true;
}

void RelayConnection::OuterConnected()
{
    if (m_unloaded) {
        return;
    }
    m_connectTimer.stop();
    Trace(QStringLiteral("Client_Connect(") + Num(m_index) + QLatin1Char(')'));
    DataArrival(m_computer);
}

void RelayConnection::ConnectTimedOut()
{
    if (m_unloaded || m_outer.State() != RelaySocketState::Connecting) {
        return;
    }
    Fail(Label(m_outer.Kind.Error) + QStringLiteral("Истекло время соединения с прокси, секунд: ")
         + Num(m_host.ConnectTimeout()));
}

void RelayConnection::BytesWritten(RelaySide &Side, qint64 Bytes)
{
    if (m_unloaded || (&Side == &m_computer && !CountDelivered()) || (&Side == &m_outer && !CountSent())) {
        return;
    }
    const qint64 remain = Side.Socket.bytesToWrite();
    Trace(Label(Side.Kind.SendProgress) + QStringLiteral(" BytesSent=") + Num(Bytes) + QStringLiteral(", BytesRemain=")
          + Num(remain));
    if (&Side == &m_outer) {
        EndToOuter();
    }
    if (remain == 0) {
        Trace(Label(Side.Kind.SendComplete));
        Kill(KillMode::Tidy);
    }
    // What the other side holds back while this side's backlog was full goes on.
    RelaySide &other = Other(Side);
    if (!m_unloaded && remain <= MaxPendingBytes && other.Socket.bytesAvailable() > 0) {
        DataArrival(other);
    }
}

bool RelayConnection::CountDelivered()
{
    QTcpSocket &computer = m_computer.Socket;
    // The system has taken the last of what the outer proxy sent before it closed: the close goes
    // now, before the host is asked about the bytes.
    if (computer.bytesToWrite() == 0 && !m_outer.IsOpen()) {
        EndToComputer();
    }
    // A host that waits inside its answer lets the socket hand on more meanwhile without telling
    // (its signal is not raised again inside itself): what was taken then is offered next. A closed
    // socket has dropped what it held, and its count is left as it was.
    while (!m_unloaded && computer.state() != QAbstractSocket::UnconnectedState) {
        qint64 taken = m_handedToComputer - computer.bytesToWrite();
        // A client computer that has ended its sending may have closed for good, and the system
        // drops what it holds for one at its reset: only what it has acknowledged has reached it.
        const qint64 acknowledged = m_computer.PeerEnded() ? m_computer.Acknowledged() : -1;
        if (acknowledged >= 0) {
            taken = qMin(taken, acknowledged);
        }
        const qint64 fresh = taken - m_countedToComputer;
        if (fresh <= 0) {
            WatchComputerEnd();
            return true;
        }
        m_countedToComputer = taken;
        bool cancel = false;
        if (!Offer([&] { return m_host.RefuseResponse(m_clientIP, static_cast<qint32>(fresh)); }, cancel)) {
            return false;
        }
        if (cancel) {
            // What the socket still holds goes past the host's word and is dropped uncounted.
            Trace(Label(m_computer.Kind.SendProgress) + QStringLiteral(" : Отменено пользователем."));
            Kill(KillMode::Both);
            return false;
        }
    }
    return !m_unloaded;
}

void RelayConnection::Closed(RelaySide &Side)
{
    if (m_unloaded) {
        return;
    }
    Trace(Label(Side.Kind.Closed));
    // Where the side relays what came before its peer closed, the pair closes after it.
    if (Side.Kind.RelaysAfterClose && Side.Socket.bytesAvailable() > 0) {
        DataArrival(Side);
        return;
    }
    Kill(Side.Kind.DoneMode);
}

void RelayConnection::SocketError(const RelaySide &Side)
{
    // A peer's ordinary close comes as an error too; its disconnected event closes the pair.
    if (m_unloaded || Side.Socket.error() == QAbstractSocket::RemoteHostClosedError) {
        return;
    }
    Fail(Label(Side.Kind.Error) + Side.Socket.errorString());
}

RelayConnection::Hold::Hold(RelayConnection &Connection)
    : m_connection(&Connection)
{
    ++Connection.m_holds;
}

RelayConnection::Hold::~Hold()
{
    if (m_connection && --m_connection->m_holds == 0 && m_connection->m_unloaded) {
        m_connection->deleteLater();
    }
}
