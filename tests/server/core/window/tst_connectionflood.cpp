// The real program at a lowered descriptor limit while idle connections that send nothing are held
// at its client and relay ports, past the limit, from one address and from many: a club computer's
// state report is still answered, the relay still serves a club computer, the program does not
// spin, and its main log says when it refused the flood.
#include "chaosclub.h"
#include "chaoscounts.h"
#include "chaospeers.h"
#include "chaosscript.h"
#include "localservice.h"
#include "originpattern.h"
#include "programprocess.h"
#include "rawsockets.h"
#include "testnetwork.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// Low enough that the flood below passes it many times over on each port.
constexpr quint64 ProgramDescriptors = 256;
constexpr int FloodPerPort = 300;
constexpr double StartSeconds = 60;
// Liveness, not speed: an answer at all, well within a club computer's own 20 s wait.
constexpr double AnswerSeconds = 10;
constexpr double HoldSeconds = 5;
constexpr double LogSeconds = 30;
// A listener spinning on failed accepts takes a whole core.
constexpr double MostCpuShare = 0.5;
constexpr qint64 FetchBytes = 100000;
constexpr int Seed = 32;
constexpr int FirstFloodHost = 150;
constexpr int CheckedComputer = 1;

// A non-blocking connection from the address From to Port on 127.0.0.1, its connect under way: its
// descriptor, or -1 with errno set.
int ConnectFrom(const QString &From, quint16 Port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const sockaddr_in local = SocketAddress(From, 0);
    const sockaddr_in remote = SocketAddress(QStringLiteral("127.0.0.1"), Port);
    if (fd >= 0
        && (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0
            || (::connect(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote) != 0
                && errno != EINPROGRESS))) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Connections opened from chosen addresses that never send a byte; closed when the object goes.
class IdleFlood final
{
public:
    ~IdleFlood()
    {
        Close();
    }

    // Connects PerAddress times from each address; the connects complete in the background.
    void Open(const QStringList &Addresses, int PerAddress, quint16 Port)
    {
        for (const QString &address : Addresses) {
            for (int n = 0; n < PerAddress; ++n) {
                const int fd = ConnectFrom(address, Port);
                QVERIFY2(fd >= 0, strerror(errno));
                m_fds.append(fd);
            }
        }
    }

    void Close()
    {
        for (const int fd : std::as_const(m_fds)) {
            ::close(fd);
        }
        m_fds.clear();
    }

private:
    QList<int> m_fds;
};

// One request through the relay from a club computer's address, read to the end on a
// non-blocking socket so that the driver's loop goes on serving the club meanwhile.
class RelayFetch final
{
public:
    RelayFetch(const QString &From, quint16 RelayPort, quint16 OriginPort)
    {
        m_fd = ConnectFrom(From, RelayPort);
        m_done = m_fd < 0;
        m_request = QStringLiteral("GET http://127.0.0.1:%1/size/%2 HTTP/1.0\r\nHost: 127.0.0.1:%1\r\n\r\n")
                        .arg(OriginPort)
                        .arg(FetchBytes)
                        .toLatin1();
    }

    ~RelayFetch()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    // Moves the exchange on without blocking; true once it has ended either way.
    bool Step()
    {
        pollfd watched{m_fd, POLLIN | POLLOUT, 0};
        if (m_done || ::poll(&watched, 1, 0) <= 0) {
            return m_done;
        }
        if ((watched.revents & POLLOUT) && m_sent < m_request.size()) {
            const ssize_t sent = ::send(m_fd, m_request.constData() + m_sent, m_request.size() - m_sent, MSG_NOSIGNAL);
            m_sent += sent > 0 ? sent : 0;
        }
        char buffer[16384];
        for (;;) {
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                m_answer.append(buffer, got);
                continue;
            }
            m_done = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            return m_done;
        }
    }

    QByteArray Body() const
    {
        const qsizetype head = m_answer.indexOf("\r\n\r\n");
        return head < 0 ? QByteArray() : m_answer.mid(head + 4);
    }

private:
    int m_fd = -1;
    QByteArray m_request;
    qsizetype m_sent = 0;
    QByteArray m_answer;
    bool m_done = false;
};
} // namespace

class TestConnectionFlood : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void heldFlood_data();
    void heldFlood();

private:
    QStringList LogLines(const QString &DataFolder) const;

    std::unique_ptr<LocalService> m_origin;
    std::unique_ptr<LocalService> m_outer;
};

void TestConnectionFlood::initTestCase()
{
    // The flood is this process's own descriptors.
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
    limit.rlim_cur = limit.rlim_max;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);
    QString error;
    m_origin = LocalService::StartOrigin(error);
    QVERIFY2(m_origin, qPrintable(error));
    m_outer = LocalService::StartTinyProxy(m_origin->Port(), error);
    QVERIFY2(m_outer, qPrintable(error));
}

QStringList TestConnectionFlood::LogLines(const QString &DataFolder) const
{
    QFile log(DataFolder + QStringLiteral("/qmmain.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split(QLatin1Char('\n')) : QStringList();
}

void TestConnectionFlood::heldFlood_data()
{
    QTest::addColumn<QStringList>("addresses");
    // What the main log says while the flood is held, and after it has gone.
    QTest::addColumn<QStringList>("reached");
    QTest::addColumn<QStringList>("left");

    const QString stranger = TestNetwork::ClientIP(FirstFloodHost);
    QTest::newRow("one unknown address")
        << QStringList{stranger}
        << QStringList{QStringLiteral("с адреса %1 открыто предельное число соединений (4)").arg(stranger),
                       QStringLiteral("адрес %1 держит предельное число соединений (4)").arg(stranger)}
        << QStringList{};
    QStringList many;
    constexpr int ManyAddresses = 100;
    for (int host = 0; host < ManyAddresses; ++host) {
        many.append(TestNetwork::ClientIP(FirstFloodHost + host));
    }
    // The ports' shares are a quarter of the limit, the strangers' part a quarter of that.
    QTest::newRow("many unknown addresses")
        << many
        << QStringList{QStringLiteral("адреса не из списка компьютеров клуба открыли предельное число соединений (16)"),
                       QStringLiteral("адреса не из клуба держат свою долю соединений (16)")}
        << QStringList{QStringLiteral("соединения с адресов не из списка компьютеров клуба снова принимаются"),
                       QStringLiteral("соединения с адресов не из клуба снова принимаются")};
}

void TestConnectionFlood::heldFlood()
{
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, reached);
    QFETCH(QStringList, left);

    ChaosClub club;
    const quint16 relayPort = LocalService::FreePort();
    QString error;
    QVERIFY2(club.Prepare(relayPort, m_outer->Port(), error), qPrintable(error));
    ChaosScript script(Seed, club.Addresses(m_origin->Port()));
    ChaosCounts counts;
    ChaosPeers peers(script, counts);
    const quint16 controlPort = TestNetwork::FreeServerPort();
    QVERIFY2(peers.Listen(controlPort, relayPort, error), qPrintable(error));

    ProgramProcess program(QStringLiteral(QUILLMARSH_EXE), ProgramDescriptors);
    QVERIFY2(program.Start(club.DataFolder(), controlPort, error), qPrintable(error));
    QVERIFY(peers.RunUntil(
        [&] {
            return !program.IsRunning() || (ProgramProcess::Listens(controlPort) && ProgramProcess::Listens(relayPort));
        },
        StartSeconds));
    QVERIFY2(program.IsRunning(), qPrintable(program.Ending()));
    QVERIFY(peers.StateReportMs(CheckedComputer, AnswerSeconds) >= 0);

    IdleFlood flood;
    const int perAddress = FloodPerPort / int(addresses.size());
    flood.Open(addresses, perAddress, controlPort);
    flood.Open(addresses, perAddress, relayPort);
    if (QTest::currentTestFailed()) {
        return;
    }

    const qint64 cpuBefore = program.CpuMs();
    QElapsedTimer held;
    held.start();
    peers.RunUntil([&] { return !program.IsRunning(); }, HoldSeconds);
    const double cpuShare = double(program.CpuMs() - cpuBefore) / double(held.elapsed());
    QVERIFY2(program.IsRunning(), qPrintable(program.Ending()));
    qInfo("processor time while the flood is held: %.0f %% of one core", cpuShare * 100);

    const double answerMs = peers.StateReportMs(CheckedComputer, AnswerSeconds);
    QVERIFY2(answerMs >= 0, "a club computer's state report unanswered");
    qInfo("a club computer's state report answered in %.2f ms while the flood is held", answerMs);
    RelayFetch fetch(club.Addresses(0).Addresses.at(0), relayPort, m_origin->Port());
    peers.RunUntil([&] { return fetch.Step(); }, AnswerSeconds);
    QVERIFY2(fetch.Body() == OriginPattern::Bytes(FetchBytes), "the relay did not serve a club computer");
    QVERIFY2(cpuShare < MostCpuShare, "the program spins while the flood is held");
    for (const QString &text : std::as_const(reached)) {
        QVERIFY2(LogLines(club.DataFolder()).filter(text).size() == 1, qPrintable(text + QStringLiteral(" not once")));
    }

    flood.Close();
    QVERIFY(peers.StateReportMs(CheckedComputer, AnswerSeconds) >= 0);
    for (const QString &text : std::as_const(left)) {
        peers.RunUntil([&] { return !LogLines(club.DataFolder()).filter(text).isEmpty(); }, LogSeconds);
        QVERIFY2(LogLines(club.DataFolder()).filter(text).size() == 1, qPrintable(text + QStringLiteral(" not once")));
    }
    program.Terminate();
    peers.RunUntil([&] { return !program.IsRunning(); }, LogSeconds);
    QVERIFY2(program.EndedCleanly(error), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestConnectionFlood)
#include "tst_connectionflood.moc"
