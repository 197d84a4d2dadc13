// The relay's accept with thousands of pairs open, in one run: a burst of connections from a club
// computer, each a small request relayed to the test origin and its whole answer read, timed with
// no other pair open and again with idle pairs of other club computers open, quiet as long as a
// club's are (their outer side a listener in a process of its own that holds them); meanwhile
// simulated club computers report their state to the client port every few milliseconds, and the
// latency of those reports is taken during the bursts.
// Usage: bench_relayaccept [idle pairs] [connections a burst]
#include "benchhelpers.h"
#include "clock.h"
#include "core/settingsstore.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "loaddriver.h"
#include "localservice.h"
#include "proxy/proxy.h"
#include "proxy/relayconnection.h"
#include "rawsockets.h"
#include "seances/computersframe.h"
#include "socketctl.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTest>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int DefaultIdle = 5000;
constexpr int DefaultBurst = 200;
constexpr int AnswerBytes = 100;
constexpr int BurstTimeoutMs = 20000;
constexpr int GapMs = 100;
constexpr int MostBursts = 30;
constexpr double ReportSeconds = 2;
constexpr double ReportPeriodMs = 20;
constexpr int Reporters = 8;
constexpr int FirstReporter = 60;
// The burst's club computer is 127.0.0.2, the idle ones 127.0.0.3 and up.
constexpr int FirstIdleHost = 3;
constexpr quint8 StateReport = 30;
constexpr rlim_t WantedDescriptors = 65536;

// The most descriptors this process may open, raised as far as it may be.
rlim_t RaiseDescriptorLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit wanted{std::max(limit.rlim_max, WantedDescriptors), std::max(limit.rlim_max, WantedDescriptors)};
    if (::setrlimit(RLIMIT_NOFILE, &wanted) != 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ::getrlimit(RLIMIT_NOFILE, &limit);
    return limit.rlim_cur;
}

// An outer proxy for the idle pairs, in a process of its own so that what it holds does not count
// against this one's descriptors: it accepts every connection and holds it without a byte either
// way, until this process closes its end of the pipe between them. Made before any thread starts.
class HoldingListener final
{
public:
    HoldingListener()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = SocketAddress(QStringLiteral("127.0.0.1"), 0);
        socklen_t length = sizeof address;
        constexpr int Backlog = 4096;
        int stop[2] = {-1, -1};
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, Backlog) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0
            || ::pipe2(stop, O_CLOEXEC) != 0) {
            ::close(fd);
            return;
        }
        m_child = ::fork();
        if (m_child == 0) {
            ::close(stop[1]);
            Hold(fd, stop[0]);
        }
        ::close(fd);
        ::close(stop[0]);
        m_stop = stop[1];
        m_port = m_child > 0 ? ntohs(address.sin_port) : 0;
    }

    ~HoldingListener()
    {
        ::close(m_stop);
        if (m_child > 0) {
            ::waitpid(m_child, nullptr, 0);
        }
    }

    HoldingListener(const HoldingListener &) = delete;
    HoldingListener &operator=(const HoldingListener &) = delete;

    quint16 Port() const
    {
        return m_port;
    }

private:
    [[noreturn]] static void Hold(int Listener, int Stop)
    {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        std::array<pollfd, 2> watched{pollfd{Listener, POLLIN, 0}, pollfd{Stop, POLLIN, 0}};
        while (::poll(watched.data(), watched.size(), -1) >= 0 && watched[1].revents == 0) {
            if (watched[0].revents != 0) {
                // Held until the process ends.
                static_cast<void>(::accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC));
            }
        }
        ::_exit(0);
    }

    pid_t m_child = -1;
    int m_stop = -1;
    quint16 m_port = 0;
};

// Bursts of Count connections from 127.0.0.2 on a thread of their own, one after another until
// stopped: each connection sends Request and reads until the relay closes. Keeps each burst's
// seconds and the connections that did not come back whole.
class BurstDriver final
{
public:
    BurstDriver(quint16 RelayPort, QByteArray Request, int Count, qint64 AnswerSize)
        : m_port(RelayPort)
        , m_request(std::move(Request))
        , m_count(Count)
        , m_answerSize(AnswerSize)
    {
    }

    ~BurstDriver()
    {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    BurstDriver(const BurstDriver &) = delete;
    BurstDriver &operator=(const BurstDriver &) = delete;

    // Runs Bursts bursts, or until Stop once at least one has run when Bursts is 0.
    void Start(int Bursts)
    {
        m_thread = std::thread([this, Bursts] {
            // At most MostBursts: each takes its client ports for a while after it.
            for (int burst = 0; burst < MostBursts && (Bursts == 0 ? !m_stopping || m_seconds.empty() : burst < Bursts);
                 ++burst) {
                m_seconds.push_back(Burst());
                // A club's bursts come now and then: the reports between them show the quiet.
                std::this_thread::sleep_for(std::chrono::milliseconds(GapMs));
            }
            m_done = true;
        });
    }

    void Stop()
    {
        m_stopping = true;
    }

    // Whether the bursts have ended; then what they measured.
    bool Done() const
    {
        return m_done;
    }

    const std::vector<double> &Seconds() const
    {
        return m_seconds;
    }

    qint64 Broken() const
    {
        return m_broken;
    }

private:
    struct Client
    {
        int Fd = -1;
        qsizetype Sent = 0;
        qint64 Received = 0;
        bool Ended = false;
    };

    double Burst()
    {
        const qint64 start = SteadyNowNs();
        std::vector<Client> clients{size_t(m_count)};
        for (Client &client : clients) {
            client.Fd = ConnectFrom(QStringLiteral("127.0.0.2"), m_port);
            client.Ended = client.Fd < 0;
        }
        std::vector<pollfd> watched;
        while (std::any_of(clients.begin(), clients.end(), [](const Client &C) { return !C.Ended; })
               && SteadyNowNs() - start < qint64(BurstTimeoutMs) * 1000000) {
            watched.clear();
            for (const Client &client : clients) {
                const short events = client.Sent < m_request.size() ? POLLOUT : POLLIN;
                watched.push_back({client.Ended ? -1 : client.Fd, events, 0});
            }
            constexpr int PollMs = 100;
            ::poll(watched.data(), watched.size(), PollMs);
            for (size_t i = 0; i < clients.size(); ++i) {
                if (watched[i].revents != 0) {
                    Step(clients[i]);
                }
            }
        }
        for (Client &client : clients) {
            m_broken += client.Received == m_answerSize ? 0 : 1;
            if (client.Fd >= 0) {
                ::close(client.Fd);
            }
        }
        return double(SteadyNowNs() - start) / 1e9;
    }

    void Step(Client &C)
    {
        if (C.Sent < m_request.size()) {
            const ssize_t sent =
                ::send(C.Fd, m_request.constData() + C.Sent, size_t(m_request.size() - C.Sent), MSG_NOSIGNAL);
            C.Sent += sent > 0 ? sent : 0;
            C.Ended = sent < 0 && errno != EAGAIN;
            return;
        }
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::recv(C.Fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                C.Received += got;
                continue;
            }
            C.Ended = got == 0 || errno != EAGAIN;
            return;
        }
    }

    const quint16 m_port;
    const QByteArray m_request;
    const int m_count;
    const qint64 m_answerSize;
    std::atomic<bool> m_stopping = false;
    std::atomic<bool> m_done = false;
    std::vector<double> m_seconds;
    qint64 m_broken = 0;
    std::thread m_thread;
};

struct Measure
{
    double BurstSeconds = 0;
    double ReportP99Ms = 0;
    double ReportWorstMs = 0;
    qint64 Broken = 0;
    int Bursts = 0;
};

// Bursts for ReportSeconds while the reporters report, as the window's thread serves both.
Measure MeasureBursts(LoadDriver &Driver,
                      quint16 ControlPort,
                      quint16 RelayPort,
                      const QByteArray &Request,
                      qint64 AnswerSize,
                      int Burst)
{
    BurstDriver bursts(RelayPort, Request, Burst, AnswerSize);
    bursts.Start(0);
    LoadDriver::Job job;
    job.What = LoadDriver::Job::Kind::Periodic;
    job.Port = ControlPort;
    job.Header = StateReport;
    job.Message = QStringLiteral("0");
    job.PeriodMs = ReportPeriodMs;
    job.Seconds = ReportSeconds;
    job.Clients = Reporters;
    const LoadDriver::Result reports = Driver.Run(job);
    bursts.Stop();
    // Bursts that do not end in time count as broken; each ends by its own time-out.
    const bool ended = QTest::qWaitFor([&] { return bursts.Done(); }, BurstTimeoutMs * 2);
    Measure measure;
    std::vector<double> seconds = bursts.Seconds();
    std::sort(seconds.begin(), seconds.end());
    measure.Bursts = int(seconds.size());
    measure.BurstSeconds = seconds.empty() ? 0 : seconds.at(seconds.size() / 2);
    measure.ReportP99Ms = Percentile(reports.LatenciesMs, 0.99);
    measure.ReportWorstMs = Percentile(reports.LatenciesMs, 1.0);
    measure.Broken = bursts.Broken() + (ended ? 0 : 1);
    return measure;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Before anything reads it: the relay takes its share of it as it starts.
    const rlim_t descriptors = RaiseDescriptorLimit();
    HoldingListener holder;
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int burst = args.size() > 2 ? args.at(2).toInt() : DefaultBurst;
    // Each idle pair takes three descriptors here, its client's among them; and the relay's share, a
    // quarter of the limit, holds the burst beside them.
    const qint64 wantedIdle = args.size() > 1 ? args.at(1).toLongLong() : DefaultIdle;
    const int idle = int(std::min<qint64>(
        {wantedIdle, qint64(descriptors) / 4 - burst - 2 * Reporters, qint64(descriptors) / 3 - burst}));

    QString err;
    const auto origin = LocalService::StartOrigin(err);
    if (!origin) {
        Out() << "bench_relayaccept: " << err << Qt::endl;
        return 1;
    }
    if (holder.Port() == 0) {
        Out() << "bench_relayaccept: the holding listener did not start" << Qt::endl;
        return 1;
    }
    CoreDatabase database;
    if (!database.StartAsProgram(err)) {
        Out() << "bench_relayaccept: " << err << Qt::endl;
        return 1;
    }
    const qint32 desktop =
        database.Add(QStringLiteral("Desktops"),
                     {{QStringLiteral("Name"), QStringLiteral("Интернет")}, {QStringLiteral("IsInternet"), 1}});
    const qint32 rate = database.AddRate(QStringLiteral("Дневной"), 0, 60);
    const QDateTime now = Clock::Now();
    const int idleComputers = (idle + Proxy::ClubConnectionsPerAddress - 1) / Proxy::ClubConnectionsPerAddress;
    QList<qint32> seances;
    for (int number = 1; number <= 1 + idleComputers; ++number) {
        const qint32 computer = database.Add(
            QStringLiteral("Computers"),
            {{QStringLiteral("Num"), number}, {QStringLiteral("IP"), QStringLiteral("127.0.0.%1").arg(number + 1)}});
        seances.append(database.AddSeance(computer, desktop, rate, now.addSecs(-600), now.addSecs(24 * 3600)));
    }
    for (int n = 0; n < Reporters; ++n) {
        database.Add(
            QStringLiteral("Computers"),
            {{QStringLiteral("Num"), 100 + n}, {QStringLiteral("IP"), LoadDriver::ClientIP(FirstReporter, n)}});
    }
    GetComputerCode(0, true);
    const quint16 relayPort = LocalService::FreePort();
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("1"));
    SetConfigValue(QStringLiteral("ProxyPort"), QString::number(relayPort));
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("127.0.0.1"));
    SetConfigValue(QStringLiteral("OuterProxyPort"), QString::number(origin->Port()));

    constexpr int PortAttempts = 20;
    std::unique_ptr<LoadDriver> driver;
    quint16 controlPort = 0;
    for (int attempt = 0; attempt < PortAttempts && !driver; ++attempt) {
        controlPort = LocalService::FreePort();
        driver = std::make_unique<LoadDriver>(FirstReporter, Reporters);
        if (!driver->Start(controlPort, err)) {
            driver.reset();
        }
    }
    MainForm window;
    if (!driver || !window.Load(controlPort, QHostAddress(QStringLiteral("127.0.0.1")))
        || !window.Relay()->IsActive()) {
        Out() << "bench_relayaccept: the program did not start " << err << Qt::endl;
        return 1;
    }
    window.show();
    if (!QTest::qWaitFor([&] { return window.Computers()->Panel()->ComputerControlExists(1 + idleComputers); })) {
        Out() << "bench_relayaccept: the computers' tiles did not come" << Qt::endl;
        return 1;
    }
    for (int number = 1; number <= 1 + idleComputers; ++number) {
        window.Computers()->SetUserState(number, seances.at(number - 1));
    }
    const QByteArray request =
        QStringLiteral("GET http://127.0.0.1:%1/size/%2 HTTP/1.0\r\nHost: 127.0.0.1:%1\r\nConnection: close\r\n\r\n")
            .arg(origin->Port())
            .arg(AnswerBytes)
            .toLatin1();
    // The origin's head and its body.
    const qint64 answerSize =
        QStringLiteral("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: %1\r\n"
                       "Connection: close\r\n\r\n")
            .arg(AnswerBytes)
            .size()
        + AnswerBytes;

    Out() << "bench_relayaccept: bursts of " << burst << " connections (a " << AnswerBytes
          << "-byte answer each), state reports of " << Reporters << " club computers every " << ReportPeriodMs
          << " ms, descriptor limit " << qint64(descriptors) << ", event dispatcher "
          << QAbstractEventDispatcher::instance()->metaObject()->className() << Qt::endl;
    if (idle < wantedIdle) {
        Out() << "  NOTE: " << idle << " idle pairs of " << wantedIdle << ": the descriptor limit holds no more"
              << Qt::endl;
    }
    // A first burst warms the program up.
    MeasureBursts(*driver, controlPort, relayPort, request, answerSize, burst);
    const Measure alone = MeasureBursts(*driver, controlPort, relayPort, request, answerSize, burst);

    window.Relay()->SetOuterProxyPort(holder.Port());
    // In batches the listener's queue holds, each given a byte once its pair is there: no request
    // line, so the pairs stay for the idle time-out, not the request's, and write no Traffic row.
    std::vector<int> idleFds;
    constexpr int Batch = 256;
    bool opened = true;
    while (opened && int(idleFds.size()) < idle) {
        const size_t from = idleFds.size();
        for (int i = int(from); i < std::min(idle, int(from) + Batch); ++i) {
            const int fd =
                ConnectFrom(QStringLiteral("127.0.0.%1").arg(FirstIdleHost + i / Proxy::ClubConnectionsPerAddress),
                            relayPort);
            if (fd < 0) {
                opened = false;
                break;
            }
            idleFds.push_back(fd);
        }
        opened =
            opened
            && QTest::qWaitFor([&] { return window.Relay()->ConnectionIndexes().size() >= qsizetype(idleFds.size()); },
                               BurstTimeoutMs);
        for (size_t i = from; i < idleFds.size(); ++i) {
            opened = opened && ::send(idleFds.at(i), "x", 1, MSG_NOSIGNAL) == 1;
        }
    }
    const qsizetype open = window.Relay()->ConnectionIndexes().size();
    // Idle as a club's are: long enough for the relay to take them for quiet.
    const bool parked = QTest::qWaitFor([&] { return window.Relay()->ParkedSockets() >= 2 * open; },
                                        int(RelayConnection::QuietMs) + BurstTimeoutMs);
    window.Relay()->SetOuterProxyPort(origin->Port());
    const Measure loaded = MeasureBursts(*driver, controlPort, relayPort, request, answerSize, burst);
    const qsizetype stillOpen = window.Relay()->ConnectionIndexes().size();

    const auto line = [](const QString &Name, const Measure &M) {
        Out() << "  " << Name << ": a burst in " << QString::number(M.BurstSeconds * 1000, 'f', 1) << " ms (median of "
              << M.Bursts << "), " << M.Broken << " not whole; state reports p99 "
              << QString::number(M.ReportP99Ms, 'f', 2) << " ms, worst " << QString::number(M.ReportWorstMs, 'f', 2)
              << " ms" << Qt::endl;
    };
    line(QStringLiteral("no idle pair open"), alone);
    line(QStringLiteral("%1 idle pairs open").arg(open), loaded);
    Out() << "  burst at no idle pair / burst at " << open
          << " idle pairs: " << QString::number(alone.BurstSeconds / loaded.BurstSeconds, 'f', 2) << " (target >= 0.8)"
          << Qt::endl;
    Out() << "  state reports p99 during the bursts at " << open
          << " idle pairs: " << QString::number(loaded.ReportP99Ms, 'f', 2) << " ms (target <= 50 ms)" << Qt::endl;
    if (!parked) {
        Out() << "  NOTE: " << window.Relay()->ParkedSockets() << " sockets of the " << open
              << " idle pairs parked before the bursts" << Qt::endl;
    }
    if (!opened || stillOpen < open) {
        Out() << "  NOTE: " << open << " of " << idle << " idle pairs opened, " << stillOpen
              << " still open after the bursts" << Qt::endl;
    }
    for (const int fd : idleFds) {
        ::close(fd);
    }
    window.ForceUnload();
    return alone.Broken + loaded.Broken == 0 ? 0 : 1;
}
