#include "loaddriver.h"

#include "packetframing.h"
#include "rawsockets.h"
#include "socketctl.h"

#include <QEventLoop>
#include <QFile>

#include <cerrno>
#include <netinet/in.h>
#include <optional>
#include <queue>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>

using namespace Pelloxan;

namespace
{
constexpr int MaxEvents = 256;
constexpr int ListenBacklog = 1024;
constexpr int ReadBytes = 64 * 1024;
constexpr qint64 NsPerMs = 1000000;
constexpr qint64 NsPerSecond = 1000000000;
constexpr qint64 RssSampleNs = 10 * NsPerMs;
// How long a flood job waits for the server's progress once every flood byte has left.
constexpr qint64 FloodSettleNs = 2 * NsPerSecond;
constexpr int IdleWaitMs = 10;

QByteArray Frame(enPacketDirection Direction, qint32 Code, quint8 Header, const QString &Message)
{
    MessagePack pack;
    pack.SetPacketDirection(Direction);
    pack.SetCode(Code);
    pack.SetHeader(Header);
    pack.SetMessage(Message);
    return PacketFraming::ToPacketString(pack);
}

// What a client computer answers to the server's requests: commands done, state idle, a probe as
// it came.
QString AnswerText(const MessagePack &Request)
{
    constexpr quint8 StartSeance = 1;
    constexpr quint8 RebootShutdown = 2;
    switch (Request.Header()) {
    case 0:
        return Request.Message();
    case StartSeance:
    case RebootShutdown:
        return QStringLiteral("-2");
    default:
        return QStringLiteral("0");
    }
}
} // namespace

struct LoadDriver::Connection
{
    enum class Role
    {
        Listener,
        Serve,
        Exchange,
        Flood
    };
    Role What = Role::Serve;
    int Fd = -1;
    QByteArray Out;
    qsizetype OutPos = 0;
    QByteArray In;
    qint64 StartNs = 0;
    bool Connected = false;
};

struct LoadDriver::State
{
    int Epoll = -1;
    int Wake = -1;
    std::atomic<bool> Quit = false;
    std::mutex Mutex;
    std::optional<Job> Pending;
    QEventLoop *Waiting = nullptr;
    Result Finished;
    std::unordered_map<Connection *, std::unique_ptr<Connection>> Connections;

    // The running job.
    std::optional<Job> Current;
    Result Progress;
    qint64 StartNs = 0;
    qint64 LastRssNs = 0;
    qint64 Launched = 0;
    int InFlight = 0;
    qint32 NextCode = 0;
    Connection *FloodConnection = nullptr;
    // When the flood last made progress, and how far it had come.
    qint64 FloodDoneNs = 0;
    qint64 FloodHandled = -1;
    std::priority_queue<std::pair<qint64, int>, std::vector<std::pair<qint64, int>>, std::greater<>> Schedule;

    Connection *Add(std::unique_ptr<Connection> Connection, uint32_t Events)
    {
        epoll_event event{};
        event.events = Events;
        event.data.ptr = Connection.get();
        epoll_ctl(Epoll, EPOLL_CTL_ADD, Connection->Fd, &event);
        auto *raw = Connection.get();
        Connections.emplace(raw, std::move(Connection));
        return raw;
    }

    void Watch(Connection *Connection, uint32_t Events) const
    {
        epoll_event event{};
        event.events = Events;
        event.data.ptr = Connection;
        epoll_ctl(Epoll, EPOLL_CTL_MOD, Connection->Fd, &event);
    }

    void Close(Connection *Connection)
    {
        ::close(Connection->Fd);
        Connections.erase(Connection);
    }
};

LoadDriver::LoadDriver(int FirstClient, int Clients)
    : m_firstClient(FirstClient)
    , m_clients(Clients)
    , m_state(std::make_unique<State>())
{
}

LoadDriver::~LoadDriver()
{
    m_state->Quit = true;
    if (m_thread.joinable()) {
        const quint64 one = 1;
        (void)!::write(m_state->Wake, &one, sizeof one);
        m_thread.join();
    }
    for (const auto &entry : m_state->Connections) {
        ::close(entry.first->Fd);
    }
    if (m_state->Epoll >= 0) {
        ::close(m_state->Epoll);
        ::close(m_state->Wake);
    }
}

QString LoadDriver::ClientIP(int FirstClient, int Number)
{
    return QStringLiteral("127.0.0.%1").arg(FirstClient + Number);
}

qint64 LoadDriver::ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

bool LoadDriver::Start(quint16 ListenPort, QString &ErrString)
{
    State &state = *m_state;
    state.Epoll = epoll_create1(EPOLL_CLOEXEC);
    state.Wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // The wake-up descriptor is the one event without a connection.
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = nullptr;
    epoll_ctl(state.Epoll, EPOLL_CTL_ADD, state.Wake, &event);
    for (int number = 0; number < m_clients; ++number) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const sockaddr_in address = SocketAddress(ClientIP(m_firstClient, number), ListenPort);
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
            || ::listen(fd, ListenBacklog) != 0) {
            ErrString =
                ClientIP(m_firstClient, number) + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
            ::close(fd);
            return false;
        }
        auto listener = std::make_unique<Connection>();
        listener->What = Connection::Role::Listener;
        listener->Fd = fd;
        state.Add(std::move(listener), EPOLLIN);
    }
    m_thread = std::thread([this] { Loop(); });
    return true;
}

LoadDriver::Result LoadDriver::Run(const Job &Job)
{
    QEventLoop loop;
    {
        const std::lock_guard<std::mutex> lock(m_state->Mutex);
        m_state->Pending = Job;
        m_state->Waiting = &loop;
    }
    const quint64 one = 1;
    (void)!::write(m_state->Wake, &one, sizeof one);
    loop.exec();
    const std::lock_guard<std::mutex> lock(m_state->Mutex);
    return m_state->Finished;
}

void LoadDriver::Loop()
{
    State &state = *m_state;
    const auto launch = [&](int client) {
        const Job &job = *state.Current;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const sockaddr_in from = SocketAddress(ClientIP(m_firstClient, client), 0);
        const sockaddr_in to = SocketAddress(QStringLiteral("127.0.0.1"), job.Port);
        ::bind(fd, reinterpret_cast<const sockaddr *>(&from), sizeof from);
        const int connected = ::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to);
        if (connected != 0 && errno != EINPROGRESS) {
            ::close(fd);
            ++state.Progress.Failed;
            return;
        }
        auto connection = std::make_unique<Connection>();
        connection->What = Connection::Role::Exchange;
        connection->Fd = fd;
        state.NextCode = state.NextCode >= 9999999 ? 1 : state.NextCode + 1;
        connection->Out = Frame(pdRequest, state.NextCode, job.Header, job.Message);
        connection->StartNs = SteadyNowNs();
        state.Add(std::move(connection), EPOLLOUT | EPOLLIN);
        ++state.InFlight;
        ++state.Launched;
    };
    const auto finishExchange = [&](Connection *connection, bool ok) {
        if (ok) {
            ++state.Progress.Completed;
            state.Progress.LatenciesMs.append(double(SteadyNowNs() - connection->StartNs) / NsPerMs);
        } else {
            ++state.Progress.Failed;
        }
        --state.InFlight;
        state.Close(connection);
    };
    const auto writeOut = [&](Connection *connection) {
        while (connection->OutPos < connection->Out.size()) {
            const ssize_t written = ::send(connection->Fd,
                                           connection->Out.constData() + connection->OutPos,
                                           size_t(connection->Out.size() - connection->OutPos),
                                           MSG_NOSIGNAL);
            if (written <= 0) {
                return written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            }
            connection->OutPos += written;
        }
        return true;
    };

    epoll_event events[MaxEvents];
    while (!state.Quit) {
        const qint64 now = SteadyNowNs();
        {
            const std::lock_guard<std::mutex> lock(state.Mutex);
            if (state.Pending && !state.Current) {
                state.Current = std::move(state.Pending);
                state.Pending.reset();
                state.Progress = Result();
                state.StartNs = now;
                state.Launched = 0;
                state.FloodConnection = nullptr;
                state.FloodDoneNs = now;
                state.FloodHandled = -1;
                state.Schedule = {};
                const Job &job = *state.Current;
                if (job.What == Job::Kind::Periodic || job.What == Job::Kind::Flood) {
                    const int first = job.What == Job::Kind::Flood ? job.FloodClient + 1 : 0;
                    const int count = job.What == Job::Kind::Flood ? 1 : job.Clients;
                    for (int client = 0; client < count; ++client) {
                        state.Schedule.emplace(now + qint64(job.PeriodMs * NsPerMs * client / count), first + client);
                    }
                }
                if (job.What == Job::Kind::Flood) {
                    QByteArray flood;
                    for (qint64 i = 1; i <= job.Count; ++i) {
                        flood += Frame(pdRequest, qint32(i), job.Header, job.Message);
                    }
                    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
                    const sockaddr_in from = SocketAddress(ClientIP(m_firstClient, job.FloodClient), 0);
                    const sockaddr_in to = SocketAddress(QStringLiteral("127.0.0.1"), job.Port);
                    ::bind(fd, reinterpret_cast<const sockaddr *>(&from), sizeof from);
                    ::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to);
                    auto connection = std::make_unique<Connection>();
                    connection->What = Connection::Role::Flood;
                    connection->Fd = fd;
                    connection->Out = flood;
                    state.FloodConnection = state.Add(std::move(connection), EPOLLOUT);
                }
            }
        }
        int timeoutMs = IdleWaitMs;
        if (state.Current) {
            const Job &job = *state.Current;
            const qint64 end = state.StartNs + qint64(job.Seconds * NsPerSecond);
            bool finished = false;
            switch (job.What) {
            case Job::Kind::Rate:
                while (now < end && state.InFlight < job.Concurrency) {
                    launch(int(state.Launched % job.Clients));
                }
                finished = now >= end && state.InFlight == 0;
                break;
            case Job::Kind::Count:
                while (state.Launched < job.Count && state.InFlight < job.Concurrency) {
                    launch(int(state.Launched % job.Clients));
                }
                finished = state.Launched >= job.Count && state.InFlight == 0;
                break;
            case Job::Kind::Periodic:
            case Job::Kind::Flood:
                while (!state.Schedule.empty() && state.Schedule.top().first <= now) {
                    const auto [due, client] = state.Schedule.top();
                    state.Schedule.pop();
                    launch(client);
                    state.Schedule.emplace(due + qint64(job.PeriodMs * NsPerMs), client);
                }
                if (job.What == Job::Kind::Periodic) {
                    finished = now >= end && state.InFlight == 0;
                } else {
                    const bool written =
                        state.FloodConnection && state.FloodConnection->OutPos >= state.FloodConnection->Out.size();
                    const qint64 handled = job.FloodHandled ? job.FloodHandled() : 0;
                    if (!written || handled != state.FloodHandled) {
                        state.FloodHandled = handled;
                        state.FloodDoneNs = now;
                    }
                    const bool settled = (written && handled >= job.Count)
                                         || (written && now - state.FloodDoneNs > FloodSettleNs) || now >= end;
                    finished = settled && state.InFlight == 0;
                }
                if (!state.Schedule.empty()) {
                    timeoutMs = int(qBound<qint64>(0,
                                                   (state.Schedule.top().first - now + NsPerMs - 1) / NsPerMs,
                                                   qint64(IdleWaitMs)));
                }
                break;
            }
            if (now - state.LastRssNs >= RssSampleNs) {
                state.LastRssNs = now;
                state.Progress.PeakRss = qMax(state.Progress.PeakRss, ResidentBytes());
            }
            if (finished) {
                if (state.FloodConnection) {
                    state.Close(state.FloodConnection);
                    state.FloodConnection = nullptr;
                }
                state.Progress.Seconds = double(now - state.StartNs) / NsPerSecond;
                const std::lock_guard<std::mutex> lock(state.Mutex);
                state.Finished = state.Progress;
                state.Current.reset();
                QMetaObject::invokeMethod(state.Waiting, &QEventLoop::quit, Qt::QueuedConnection);
                continue;
            }
            if (job.What == Job::Kind::Rate || job.What == Job::Kind::Count) {
                timeoutMs = 1;
            }
        }

        const int count = epoll_wait(state.Epoll, events, MaxEvents, timeoutMs);
        for (int i = 0; i < count; ++i) {
            auto *connection = static_cast<Connection *>(events[i].data.ptr);
            if (connection == nullptr) {
                quint64 value = 0;
                (void)!::read(state.Wake, &value, sizeof value);
                continue;
            }
            const uint32_t flags = events[i].events;
            switch (connection->What) {
            case Connection::Role::Listener:
                for (;;) {
                    const int fd = ::accept4(connection->Fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (fd < 0) {
                        break;
                    }
                    auto served = std::make_unique<Connection>();
                    served->What = Connection::Role::Serve;
                    served->Fd = fd;
                    served->Connected = true;
                    state.Add(std::move(served), EPOLLIN);
                }
                break;
            case Connection::Role::Serve: {
                char buffer[ReadBytes];
                const ssize_t got = ::recv(connection->Fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                        state.Close(connection);
                    }
                    break;
                }
                connection->In.append(buffer, got);
                qsizetype from = 0;
                for (;;) {
                    MessagePack request;
                    qsizetype next = 0;
                    if (PacketFraming::FromPacketString(connection->In, from, request, next)
                        != PacketFraming::ParseResult::Complete) {
                        break;
                    }
                    from = next;
                    if (request.PacketDirection() == pdRequest) {
                        connection->Out += Frame(pdAnswer, request.GetCode(), request.Header(), AnswerText(request));
                    }
                }
                connection->In.remove(0, from);
                writeOut(connection);
                connection->Out.remove(0, connection->OutPos);
                connection->OutPos = 0;
                break;
            }
            case Connection::Role::Exchange: {
                if ((flags & (EPOLLERR | EPOLLHUP)) && !(flags & EPOLLIN)) {
                    finishExchange(connection, false);
                    break;
                }
                if (!connection->Connected && (flags & EPOLLOUT)) {
                    connection->Connected = true;
                    if (!writeOut(connection)) {
                        finishExchange(connection, false);
                        break;
                    }
                    state.Watch(connection, EPOLLIN);
                }
                if (flags & EPOLLIN) {
                    char buffer[ReadBytes];
                    const ssize_t got = ::recv(connection->Fd, buffer, sizeof buffer, 0);
                    if (got <= 0) {
                        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                            finishExchange(connection, false);
                        }
                        break;
                    }
                    connection->In.append(buffer, got);
                    MessagePack answer;
                    qsizetype next = 0;
                    if (PacketFraming::FromPacketString(connection->In, 0, answer, next)
                        == PacketFraming::ParseResult::Complete) {
                        finishExchange(connection, answer.PacketDirection() == pdAnswer);
                    }
                }
                break;
            }
            case Connection::Role::Flood:
                if (flags & (EPOLLERR | EPOLLHUP)) {
                    state.Watch(connection, 0);
                    connection->OutPos = connection->Out.size();
                    break;
                }
                if (!writeOut(connection)) {
                    state.Watch(connection, 0);
                    connection->OutPos = connection->Out.size();
                } else if (connection->OutPos >= connection->Out.size()) {
                    state.Watch(connection, 0);
                }
                break;
            }
        }
    }
}
