#include "chaospeers.h"

#include "packetframing.h"
#include "rawsockets.h"
#include "socketctl.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int MaxEvents = 256;
constexpr int ListenBacklog = 1024;
constexpr int ReadBytes = 64 * 1024;
constexpr int SmallReceiveBuffer = 4096;
constexpr qint64 NsPerMs = 1000000;
constexpr qint64 ConnectWaitNs = 5000 * NsPerMs;
// How long a connection waits for the point of the exchange it ends at.
constexpr qint64 ControlWaitNs = 3000 * NsPerMs;
constexpr qint64 RelayWaitNs = 10000 * NsPerMs;
// A connection that owes no answer has had its whole exchange once the program was quiet this long.
constexpr qint64 QuietNs = 200 * NsPerMs;
constexpr qint64 DrainWaitNs = 2000 * NsPerMs;
constexpr int MaxPieceGapMs = 3;
constexpr int MaxLateAnswerMs = 300;
constexpr int ResetOnAcceptPercent = 5;
// New connections per turn of the loop, so that a burst does not overflow the program's backlog.
constexpr int LaunchesPerTurn = 8;
constexpr int ChaosTurnMs = 1;
constexpr int IdleTurnMs = 10;

void ResetOnClose(int Fd)
{
    const linger abortive{1, 0};
    setsockopt(Fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
}
} // namespace

struct ChaosPeers::Peer
{
    enum class Role
    {
        Listener,
        Client,
        Dialog
    };

    enum class Step
    {
        Connecting,
        Writing,
        Waiting,
        Draining
    };

    Role What = Role::Client;
    int Fd = -1;
    int Address = 0;
    ChaosPlan Plan;
    bool Probe = false;
    Step At = Step::Connecting;
    QList<QByteArray> Pieces;
    QByteArray Out;
    qsizetype OutPos = 0;
    QByteArray In;
    qsizetype InPos = 0;
    qint64 StartNs = 0;
    qint64 DueNs = 0;
    int AnswersRead = 0;
    qint64 BytesRead = 0;
    bool ReadClosed = false;
    bool WriteClosed = false;
    // A dialog's answers held back, with the moment each is due.
    QList<QPair<qint64, QByteArray>> Late;
};

ChaosPeers::ChaosPeers(ChaosScript &Script, ChaosCounts &Counts)
    : m_script(Script)
    , m_counts(Counts)
    , m_epoll(epoll_create1(EPOLL_CLOEXEC))
{
}

ChaosPeers::~ChaosPeers()
{
    for (const auto &entry : m_peers) {
        ::close(entry.first->Fd);
    }
    ::close(m_epoll);
}

ChaosPeers::Peer *ChaosPeers::Add(std::unique_ptr<Peer> Peer)
{
    auto *raw = Peer.get();
    epoll_event event{};
    const bool connecting = raw->At == Peer::Step::Connecting && raw->What == Peer::Role::Client;
    event.events = connecting ? uint32_t(EPOLLIN | EPOLLOUT) : uint32_t(EPOLLIN);
    event.data.ptr = raw;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, raw->Fd, &event);
    m_peers.emplace(raw, std::move(Peer));
    return raw;
}

void ChaosPeers::Watch(Peer &Peer, bool Writing) const
{
    epoll_event event{};
    event.events = (Peer.ReadClosed ? 0U : uint32_t(EPOLLIN)) | (Writing ? uint32_t(EPOLLOUT) : 0U);
    event.data.ptr = &Peer;
    epoll_ctl(m_epoll, EPOLL_CTL_MOD, Peer.Fd, &event);
}

void ChaosPeers::Retire(Peer &Peer, bool Reset)
{
    const auto found = m_peers.find(&Peer);
    if (found == m_peers.end()) {
        return;
    }
    if (Peer.What == Peer::Role::Client && !Peer.Probe) {
        --(Peer.Plan.Target == ChaosPlan::Port::Control ? m_controlRunning : m_relayRunning);
    }
    if (Reset) {
        ResetOnClose(Peer.Fd);
    }
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, Peer.Fd, nullptr);
    ::close(Peer.Fd);
    m_retired.push_back(std::move(found->second));
    m_peers.erase(found);
}

bool ChaosPeers::Listen(quint16 ControlPort, quint16 RelayPort, QString &ErrString)
{
    m_controlPort = ControlPort;
    m_relayPort = RelayPort;
    const ChaosScript::Club &club = m_script.Addresses();
    for (int number = 0; number < club.Computers; ++number) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const sockaddr_in address = SocketAddress(club.Addresses.at(number), ControlPort);
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
            || ::listen(fd, ListenBacklog) != 0) {
            ErrString = club.Addresses.at(number) + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
            ::close(fd);
            return false;
        }
        auto listener = std::make_unique<Peer>();
        listener->What = Peer::Role::Listener;
        listener->Fd = fd;
        listener->Address = number;
        Add(std::move(listener));
    }
    return true;
}

void ChaosPeers::SetMode(Mode Mode, int ControlConnections, int RelayConnections)
{
    m_mode = Mode;
    m_controlTarget = ControlConnections;
    m_relayTarget = RelayConnections;
}

int ChaosPeers::RunningPlans() const
{
    return m_controlRunning + m_relayRunning;
}

bool ChaosPeers::RunUntil(const std::function<bool()> &Done, double Seconds)
{
    const qint64 end = SteadyNowNs() + qint64(Seconds * 1e9);
    while (!Done()) {
        if (SteadyNowNs() >= end) {
            return false;
        }
        if (m_mode == Mode::Chaos) {
            LaunchMissing();
        }
        Turn(m_mode == Mode::Chaos ? ChaosTurnMs : IdleTurnMs);
    }
    return true;
}

double ChaosPeers::StateReportMs(int Address, double Seconds)
{
    ChaosPlan plan;
    plan.Address = Address;
    plan.Known = Address < m_script.Addresses().Computers;
    plan.Last = m_script.StateReport(Address, 1);
    plan.Messages = 1;
    plan.Answers = 1;
    m_probeMs = -1;
    m_probeDone = false;
    m_probeWaitNs = qint64(Seconds * 1e9);
    Launch(plan, true);
    RunUntil([this] { return m_probeDone; }, Seconds);
    return m_probeMs;
}

void ChaosPeers::CloseConnections()
{
    std::vector<Peer *> open;
    for (const auto &entry : m_peers) {
        if (entry.first->What != Peer::Role::Listener) {
            open.push_back(entry.first);
        }
    }
    for (Peer *peer : open) {
        Retire(*peer, false);
    }
    m_retired.clear();
}

void ChaosPeers::LaunchMissing()
{
    for (int launched = 0; launched < LaunchesPerTurn; ++launched) {
        if (m_controlRunning < m_controlTarget) {
            Launch(m_script.NextControl(), false);
        } else if (m_relayRunning < m_relayTarget) {
            Launch(m_script.NextRelay(), false);
        } else {
            return;
        }
    }
}

void ChaosPeers::Launch(const ChaosPlan &Plan, bool Probe)
{
    auto client = std::make_unique<Peer>();
    client->Plan = Plan;
    client->Probe = Probe;
    client->Address = Plan.Address;
    client->StartNs = SteadyNowNs();
    client->DueNs = client->StartNs + (Probe ? m_probeWaitNs : ConnectWaitNs);
    client->Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (Plan.SmallReceiveBuffer) {
        setsockopt(client->Fd, SOL_SOCKET, SO_RCVBUF, &SmallReceiveBuffer, sizeof SmallReceiveBuffer);
    }
    const sockaddr_in from = SocketAddress(m_script.Addresses().Addresses.at(Plan.Address), 0);
    const quint16 port = Plan.Target == ChaosPlan::Port::Control ? m_controlPort : m_relayPort;
    const sockaddr_in to = SocketAddress(QStringLiteral("127.0.0.1"), port);
    ::bind(client->Fd, reinterpret_cast<const sockaddr *>(&from), sizeof from);
    if (!Probe) {
        ++(Plan.Target == ChaosPlan::Port::Control ? m_controlRunning : m_relayRunning);
    }
    Peer *peer = Add(std::move(client));
    if (::connect(peer->Fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
        ++PortOf(*peer).ConnectFailures;
        Retire(*peer, false);
    }
}

ChaosCounts::PortCounts &ChaosPeers::PortOf(const Peer &Client) const
{
    return Client.Plan.Target == ChaosPlan::Port::Control ? m_counts.Control : m_counts.Relay;
}

void ChaosPeers::Turn(int TimeoutMs)
{
    epoll_event events[MaxEvents];
    const int count = epoll_wait(m_epoll, events, MaxEvents, TimeoutMs);
    for (int i = 0; i < count; ++i) {
        auto *peer = static_cast<Peer *>(events[i].data.ptr);
        if (m_peers.find(peer) == m_peers.end()) {
            continue;
        }
        const uint32_t flags = events[i].events;
        switch (peer->What) {
        case Peer::Role::Listener:
            Accept(*peer);
            break;
        case Peer::Role::Client:
            if (peer->At == Peer::Step::Connecting) {
                Connected(*peer);
            } else if ((flags & EPOLLOUT) && peer->OutPos < peer->Out.size()) {
                Flush(*peer);
            }
            if (m_peers.find(peer) != m_peers.end() && (flags & (EPOLLIN | EPOLLHUP | EPOLLERR))) {
                ReadClient(*peer);
            }
            break;
        case Peer::Role::Dialog:
            if ((flags & EPOLLOUT) && peer->OutPos < peer->Out.size()) {
                Flush(*peer);
            }
            if (m_peers.find(peer) != m_peers.end() && (flags & (EPOLLIN | EPOLLHUP | EPOLLERR))) {
                ReadDialog(*peer);
            }
            break;
        }
    }
    CheckTimers();
    m_retired.clear();
}

void ChaosPeers::Accept(Peer &Listener)
{
    for (;;) {
        const int fd = ::accept4(Listener.Fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        auto dialog = std::make_unique<Peer>();
        dialog->What = Peer::Role::Dialog;
        dialog->Fd = fd;
        dialog->Address = Listener.Address;
        dialog->At = Peer::Step::Waiting;
        Peer *peer = Add(std::move(dialog));
        if (m_mode == Mode::Chaos) {
            ++m_counts.DialogConnections;
            if (m_script.Chance(ResetOnAcceptPercent)) {
                ++m_counts.DialogResetsOnAccept;
                DialogSeen(peer->Address);
                Retire(*peer, true);
            }
        }
    }
}

void ChaosPeers::Connected(Peer &Client)
{
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(Client.Fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) {
        ++PortOf(Client).ConnectFailures;
        Retire(Client, false);
        return;
    }
    if (!Client.Probe) {
        ++PortOf(Client).Connections[Client.Plan.Known ? 1 : 0];
    }
    if (Client.Plan.EndAt == ChaosPlan::Phase::BeforeRequest) {
        End(Client, true);
        return;
    }
    if (!Client.Plan.Lead.isEmpty()) {
        Client.Pieces.append(Client.Plan.Lead);
    }
    const QByteArray last =
        Client.Plan.EndAt == ChaosPlan::Phase::MidRequest ? Client.Plan.Last.left(Client.Plan.Cut) : Client.Plan.Last;
    const qsizetype piece = qMax<qsizetype>(1, (last.size() + Client.Plan.Pieces - 1) / Client.Plan.Pieces);
    for (qsizetype from = 0; from < last.size(); from += piece) {
        Client.Pieces.append(last.mid(from, piece));
    }
    Client.At = Peer::Step::Writing;
    Watch(Client, false);
    WriteNextPiece(Client);
}

void ChaosPeers::WriteNextPiece(Peer &Client)
{
    if (Client.Pieces.isEmpty()) {
        Written(Client);
        return;
    }
    Client.Out = Client.Pieces.takeFirst();
    Client.OutPos = 0;
    Client.DueNs = 0;
    Flush(Client);
}

void ChaosPeers::Flush(Peer &Peer)
{
    while (Peer.OutPos < Peer.Out.size()) {
        const ssize_t written =
            ::send(Peer.Fd, Peer.Out.constData() + Peer.OutPos, size_t(Peer.Out.size() - Peer.OutPos), MSG_NOSIGNAL);
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            Watch(Peer, true);
            return;
        }
        if (written <= 0) {
            // The program has gone from this connection; its read side tells the rest.
            Peer.Out.clear();
            Peer.OutPos = 0;
            Peer.Pieces.clear();
            Watch(Peer, false);
            return;
        }
        Peer.OutPos += written;
    }
    Peer.Out.clear();
    Peer.OutPos = 0;
    Watch(Peer, false);
    if (Peer.What == Peer::Role::Client && Peer.At == Peer::Step::Writing) {
        if (Peer.Pieces.isEmpty()) {
            Written(Peer);
        } else {
            Peer.DueNs = SteadyNowNs() + m_script.Between(1, MaxPieceGapMs) * NsPerMs;
        }
    }
}

void ChaosPeers::Written(Peer &Client)
{
    const ChaosPlan &plan = Client.Plan;
    const bool cut = plan.EndAt == ChaosPlan::Phase::MidRequest;
    if (!Client.Probe) {
        PortOf(Client).MessagesWritten += cut ? plan.Messages - 1 : plan.Messages;
    }
    if (cut || plan.EndAt == ChaosPlan::Phase::AfterRequest) {
        End(Client, true);
        return;
    }
    Client.At = Peer::Step::Waiting;
    const bool quiet = plan.Target == ChaosPlan::Port::Control && plan.Answers == 0;
    Client.DueNs = Client.Probe ? Client.StartNs + m_probeWaitNs
                                : SteadyNowNs()
                                      + (quiet                                     ? QuietNs
                                         : plan.Target == ChaosPlan::Port::Control ? ControlWaitNs
                                                                                   : RelayWaitNs);
    ClientProgress(Client);
}

void ChaosPeers::ReadClient(Peer &Client)
{
    char buffer[ReadBytes];
    for (;;) {
        const ssize_t got = ::recv(Client.Fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            Client.In.append(buffer, got);
            Client.BytesRead += got;
            if (!Client.Probe) {
                PortOf(Client).BytesRead += got;
            }
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        Client.ReadClosed = true;
        break;
    }
    if (Client.Plan.Target == ChaosPlan::Port::Control) {
        CountAnswers(Client);
    }
    if (Client.At == Peer::Step::Draining) {
        if (Client.ReadClosed) {
            Retire(Client, false);
        }
        return;
    }
    ClientProgress(Client);
    if (m_peers.find(&Client) == m_peers.end() || !Client.ReadClosed) {
        return;
    }
    if (Client.At == Peer::Step::Waiting && Client.Plan.Target == ChaosPlan::Port::Relay
        && Client.Plan.EndAt == ChaosPlan::Phase::Complete) {
        // The outer side's whole answer: it closes after an HTTP/1.0 answer.
        if (Client.BytesRead > 0) {
            ++m_counts.Relay.AnswersRead;
        }
        End(Client, true);
        return;
    }
    if (Client.Probe) {
        m_probeDone = true;
    } else {
        ++PortOf(Client).ClosedByProgram;
    }
    Retire(Client, false);
}

void ChaosPeers::CountAnswers(Peer &Client)
{
    for (;;) {
        Pelloxan::MessagePack answer;
        qsizetype next = 0;
        if (Pelloxan::PacketFraming::FromPacketString(Client.In, Client.InPos, answer, next)
            != Pelloxan::PacketFraming::ParseResult::Complete) {
            return;
        }
        Client.InPos = next;
        if (answer.PacketDirection() == Pelloxan::pdAnswer) {
            ++Client.AnswersRead;
            if (!Client.Probe) {
                ++PortOf(Client).AnswersRead;
            }
        }
    }
}

// Ends the connection once it has reached the point of the exchange its plan ends at.
void ChaosPeers::ClientProgress(Peer &Client)
{
    if (Client.At != Peer::Step::Waiting) {
        return;
    }
    const ChaosPlan &plan = Client.Plan;
    const bool control = plan.Target == ChaosPlan::Port::Control;
    if (plan.EndAt == ChaosPlan::Phase::MidAnswer && Client.BytesRead > 0) {
        End(Client, true);
    } else if (plan.EndAt == ChaosPlan::Phase::Complete && control && plan.Answers > 0
               && Client.AnswersRead >= plan.Answers) {
        if (Client.Probe) {
            m_probeMs = double(SteadyNowNs() - Client.StartNs) / NsPerMs;
            m_probeDone = true;
        }
        End(Client, true);
    }
}

void ChaosPeers::End(Peer &Client, bool Reached)
{
    const ChaosPlan &plan = Client.Plan;
    if (!Client.Probe) {
        if (Reached) {
            ++PortOf(Client).Ends.at(int(plan.EndAt)).at(int(plan.How)).at(plan.Known ? 1 : 0);
        } else {
            ++PortOf(Client).TimedOut;
        }
    }
    switch (plan.How) {
    case ChaosPlan::Ending::Reset:
        Retire(Client, true);
        break;
    case ChaosPlan::Ending::Close:
        Retire(Client, false);
        break;
    case ChaosPlan::Ending::HalfClose:
        if (Client.ReadClosed) {
            Retire(Client, false);
            break;
        }
        ::shutdown(Client.Fd, SHUT_WR);
        Client.At = Peer::Step::Draining;
        Client.DueNs = SteadyNowNs() + DrainWaitNs;
        break;
    case ChaosPlan::Ending::Count:
        break;
    }
}

void ChaosPeers::ReadDialog(Peer &Dialog)
{
    char buffer[ReadBytes];
    bool closed = false;
    for (;;) {
        const ssize_t got = ::recv(Dialog.Fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            Dialog.In.append(buffer, got);
            continue;
        }
        closed = !(got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
        break;
    }
    for (;;) {
        Pelloxan::MessagePack request;
        qsizetype next = 0;
        const auto result = Pelloxan::PacketFraming::FromPacketString(Dialog.In, Dialog.InPos, request, next);
        if (result == Pelloxan::PacketFraming::ParseResult::Malformed) {
            closed = true;
            break;
        }
        if (result == Pelloxan::PacketFraming::ParseResult::Incomplete) {
            break;
        }
        Dialog.InPos = next;
        if (request.PacketDirection() == Pelloxan::pdRequest && !HandleDialogRequest(Dialog, request)) {
            return;
        }
    }
    if (closed) {
        Retire(Dialog, false);
    }
}

// Meets one request of the program's dialog; false when the connection is gone.
bool ChaosPeers::HandleDialogRequest(Peer &Dialog, Pelloxan::MessagePack &Request)
{
    if (Dialog.WriteClosed) {
        return true;
    }
    if (m_mode != Mode::Chaos) {
        Dialog.Out += m_script.Answer(Request, Dialog.Address, true);
        Flush(Dialog);
        if (m_mode == Mode::Settle) {
            Retire(Dialog, false);
            return false;
        }
        return true;
    }
    DialogSeen(Dialog.Address);
    const DialogAction action = m_script.NextDialogAction();
    ++m_counts.DialogActions.at(int(action));
    const QByteArray answer = m_script.Answer(Request, Dialog.Address, false);
    switch (action) {
    case DialogAction::Answer:
        Dialog.Out += answer;
        break;
    case DialogAction::AnswerLate:
        Dialog.Late.append({SteadyNowNs() + m_script.Between(1, MaxLateAnswerMs) * NsPerMs, answer});
        return true;
    case DialogAction::ResetBeforeAnswer:
        Retire(Dialog, true);
        return false;
    case DialogAction::HalfCloseBeforeAnswer:
        ::shutdown(Dialog.Fd, SHUT_WR);
        Dialog.WriteClosed = true;
        return true;
    case DialogAction::CutAnswer:
        Dialog.Out += answer.left(m_script.Sweep(answer.size()));
        Flush(Dialog);
        Retire(Dialog, true);
        return false;
    case DialogAction::Garbage:
        Dialog.Out += m_script.Garbage();
        break;
    case DialogAction::WrongCode:
        Request.SetCode(Request.GetCode() + 1);
        Dialog.Out += m_script.Answer(Request, Dialog.Address, false);
        break;
    case DialogAction::AnswerThenReset:
        Dialog.Out += answer;
        Flush(Dialog);
        Retire(Dialog, true);
        return false;
    case DialogAction::Count:
        break;
    }
    Flush(Dialog);
    return true;
}

// The program has opened a dialog to Address: the connections from there that wait for it end now.
void ChaosPeers::DialogSeen(int Address)
{
    std::vector<Peer *> waiting;
    for (const auto &entry : m_peers) {
        Peer *peer = entry.first;
        if (peer->What == Peer::Role::Client && peer->Address == Address && peer->At == Peer::Step::Waiting
            && peer->Plan.EndAt == ChaosPlan::Phase::DuringDialog) {
            waiting.push_back(peer);
        }
    }
    for (Peer *peer : waiting) {
        ++m_counts.DialogsSeenByWaiters;
        End(*peer, true);
    }
}

void ChaosPeers::CheckTimers()
{
    const qint64 now = SteadyNowNs();
    std::vector<Peer *> due;
    for (const auto &entry : m_peers) {
        Peer *peer = entry.first;
        if ((peer->DueNs != 0 && peer->DueNs <= now) || (!peer->Late.isEmpty() && peer->Late.first().first <= now)) {
            due.push_back(peer);
        }
    }
    for (Peer *peer : due) {
        if (m_peers.find(peer) == m_peers.end()) {
            continue;
        }
        if (peer->What == Peer::Role::Dialog) {
            while (!peer->Late.isEmpty() && peer->Late.first().first <= now) {
                peer->Out += peer->Late.takeFirst().second;
            }
            Flush(*peer);
            continue;
        }
        switch (peer->At) {
        case Peer::Step::Connecting:
            ++PortOf(*peer).ConnectFailures;
            if (peer->Probe) {
                m_probeDone = true;
            }
            Retire(*peer, false);
            break;
        case Peer::Step::Writing:
            if (peer->OutPos >= peer->Out.size()) {
                WriteNextPiece(*peer);
            }
            break;
        case Peer::Step::Waiting: {
            // A connection that owed no answer has had its whole exchange.
            const bool quiet = peer->Plan.Target == ChaosPlan::Port::Control && peer->Plan.Answers == 0
                               && peer->Plan.EndAt == ChaosPlan::Phase::Complete;
            if (peer->Probe) {
                m_probeDone = true;
            }
            End(*peer, quiet);
            break;
        }
        case Peer::Step::Draining:
            Retire(*peer, true);
            break;
        }
    }
}
