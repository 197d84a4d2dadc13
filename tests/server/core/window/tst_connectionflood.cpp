// The real program at a lowered descriptor limit while idle connections that send nothing are held
// at its client and relay ports, past the limit, from one address, from many, and from the club's
// computers until no descriptor is left: a club computer's state report is still answered, the
// relay still serves a club computer, the program does not spin, and its main log says when it
// refused the flood. And as many requests at once from one club computer as three browsers send,
// all served through the relay while two other club computers hold idle connections past its
// share, and a fourth club computer served throughout.
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
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{
// Low enough that the flood below passes it many times over on each port.
constexpr quint64 ProgramDescriptors = 256;
// Below what the program itself and both ports' shares take together: descriptors run out.
constexpr quint64 ExhaustedDescriptors = 40;
constexpr int FloodPerPort = 300;
// The relay's share at this limit, 1024 pairs, is less than two idle computers try to hold beside
// three browsers' requests from a third.
constexpr quint64 BrowsersDescriptors = 4096;
constexpr qsizetype RelayShare = BrowsersDescriptors / 4;
constexpr int BrowsersRequests = 300;
constexpr int IdlePerComputer = 700;
constexpr int IdleComputer = 2;
constexpr int WitnessComputer = 1;
constexpr int BrowsersComputer = 0;
constexpr double BrowsersSeconds = 60;
constexpr qint64 TransferBytes = 20000;
// The relay's share at this limit, 150 pairs, holds the paying computer's downloads with room for
// 50 more.
constexpr quint64 UnpaidDescriptors = 600;
constexpr int UnpaidDownloads = 100;
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

    // Connections the program has closed.
    qsizetype Closed() const
    {
        return Count(POLLIN | POLLRDHUP);
    }

private:
    qsizetype Count(short Events) const
    {
        std::vector<pollfd> watched;
        for (const int fd : m_fds) {
            watched.push_back({fd, Events, 0});
        }
        ::poll(watched.data(), watched.size(), 0);
        return std::count_if(watched.begin(), watched.end(), [](const pollfd &P) { return P.revents != 0; });
    }

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
        m_request = QStringLiteral(
                        "GET http://127.0.0.1:%1/size/%2 HTTP/1.0\r\nHost: 127.0.0.1:%1\r\nConnection: close\r\n\r\n")
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

    // Sends what is left of the request without blocking and reads nothing; true once it is sent.
    bool Ask()
    {
        pollfd watched{m_fd, POLLOUT, 0};
        if (!m_done && m_sent < m_request.size() && ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLOUT)) {
            const ssize_t sent = ::send(m_fd, m_request.constData() + m_sent, m_request.size() - m_sent, MSG_NOSIGNAL);
            m_sent += sent > 0 ? sent : 0;
        }
        return m_sent == m_request.size();
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

// Fetches through the relay from the club computer From until a fetch comes whole, as once the
// program knows its seance: only then it counts as a club computer at the relay. Step runs beside.
bool FetchesWhole(ChaosPeers &Peers,
                  const QString &From,
                  quint16 RelayPort,
                  quint16 OriginPort,
                  const std::function<void()> &Step = {})
{
    auto fetch = std::make_unique<RelayFetch>(From, RelayPort, OriginPort);
    return Peers.RunUntil(
        [&] {
            if (Step) {
                Step();
            }
            if (!fetch->Step()) {
                return false;
            }
            if (fetch->Body() == OriginPattern::Bytes(FetchBytes)) {
                return true;
            }
            fetch = std::make_unique<RelayFetch>(From, RelayPort, OriginPort);
            return false;
        },
        StartSeconds);
}

// curl with Count transfers at once through the relay from the address From, each of them one line
// of its output: its status, bytes sent and received, and connections opened for it; a transfer
// uploads Body when it is given.
bool StartCurl(QProcess &Curl,
               const QString &Url,
               const QString &Body,
               int Count,
               int AtOnce,
               const QString &From,
               quint16 RelayPort)
{
    // An upload takes seconds at this rate: they all run at the same time.
    QStringList arguments{QStringLiteral("--silent"),
                          QStringLiteral("--show-error"),
                          QStringLiteral("--parallel"),
                          QStringLiteral("--parallel-immediate"),
                          QStringLiteral("--parallel-max"),
                          QString::number(AtOnce),
                          QStringLiteral("--limit-rate"),
                          QStringLiteral("4K"),
                          QStringLiteral("--interface"),
                          From,
                          QStringLiteral("--proxy"),
                          QStringLiteral("http://127.0.0.1:%1").arg(RelayPort),
                          QStringLiteral("--write-out"),
                          QStringLiteral("%{http_code} %{size_upload} %{size_download} %{num_connects}\\n")};
    for (int i = 0; i < Count; ++i) {
        arguments << Url << QStringLiteral("--output") << QStringLiteral("/dev/null");
        if (!Body.isEmpty()) {
            arguments << QStringLiteral("--upload-file") << Body;
        }
    }
    if (!Body.isEmpty()) {
        arguments << QStringLiteral("--request") << QStringLiteral("POST");
    }
    Curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Curl.start(QStringLiteral("curl"), arguments);
    return Curl.waitForStarted();
}

// The chaos club with the real program running on it at a lowered descriptor limit.
class ClubRun final
{
    std::unique_ptr<ChaosScript> m_script;
    ChaosCounts m_counts;

public:
    // Prepares the club, with the relay's outer proxy at OuterPort, and starts the program; waits
    // until it listens at both ports and answers a club computer.
    void Start(quint64 Descriptors, quint16 OuterPort, quint16 OriginPort, int InternetComputers = 1)
    {
        QString error;
        QVERIFY2(Club.Prepare(RelayPort, OuterPort, error, InternetComputers), qPrintable(error));
        m_script = std::make_unique<ChaosScript>(Seed, Club.Addresses(OriginPort));
        Peers = std::make_unique<ChaosPeers>(*m_script, m_counts);
        QVERIFY2(Peers->Listen(ControlPort, RelayPort, error), qPrintable(error));
        Program = std::make_unique<ProgramProcess>(QStringLiteral(QUILLMARSH_EXE), Descriptors);
        QVERIFY2(Program->Start(Club.DataFolder(), ControlPort, error), qPrintable(error));
        QVERIFY(Peers->RunUntil(
            [&] {
                return !Program->IsRunning()
                       || (ProgramProcess::Listens(ControlPort) && ProgramProcess::Listens(RelayPort));
            },
            StartSeconds));
        QVERIFY2(Program->IsRunning(), qPrintable(Program->Ending()));
        QVERIFY(Peers->StateReportMs(CheckedComputer, AnswerSeconds) >= 0);
    }

    void End()
    {
        Program->Terminate();
        Peers->RunUntil([&] { return !Program->IsRunning(); }, LogSeconds);
        QString error;
        QVERIFY2(Program->EndedCleanly(error), qPrintable(error));
    }

    const quint16 RelayPort = LocalService::FreePort();
    const quint16 ControlPort = TestNetwork::FreeServerPort();
    ChaosClub Club;
    std::unique_ptr<ChaosPeers> Peers;
    std::unique_ptr<ProgramProcess> Program;
};
} // namespace

class TestConnectionFlood : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void heldFlood_data();
    void heldFlood();
    void browsersOfOneComputer_data();
    void browsersOfOneComputer();
    void unpaidComputerTakesNoRoom();

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
    QTest::addColumn<quint64>("descriptors");
    QTest::addColumn<QStringList>("addresses");
    // What the main log says while the flood is held, and after it has gone.
    QTest::addColumn<QStringList>("reached");
    QTest::addColumn<QStringList>("left");

    const QString stranger = TestNetwork::ClientIP(FirstFloodHost);
    QTest::newRow("one unknown address")
        << ProgramDescriptors << QStringList{stranger}
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
        << ProgramDescriptors << many
        << QStringList{QStringLiteral("адреса не из списка компьютеров клуба открыли предельное число соединений (16)"),
                       QStringLiteral("адреса не из клуба держат свою долю соединений (16)")}
        << QStringList{QStringLiteral("соединения с адресов не из списка компьютеров клуба снова принимаются"),
                       QStringLiteral("соединения с адресов не из клуба снова принимаются")};
    // The line of the client port was marked written before the log had a descriptor to open it. The
    // flooding computers have no seance: the relay holds the strangers' part of them, the client port
    // its whole share.
    QStringList club;
    for (int computer = IdleComputer; computer < ChaosClub::Computers; ++computer) {
        club.append(TestNetwork::ClientIP(ChaosClub::FirstComputerHost + computer));
    }
    QTest::newRow("the club's other computers, no descriptor left")
        << ExhaustedDescriptors << club
        << QStringList{QStringLiteral("исчерпан предел открытых файлов процесса, новые соединения закрываются"),
                       QStringLiteral("нет свободных дескрипторов, новые соединения закрываются")}
        << QStringList{QStringLiteral("открытых файлов снова меньше предела процесса, соединения принимаются"),
                       QStringLiteral("дескрипторы снова есть, соединения снова принимаются")};
}

void TestConnectionFlood::heldFlood()
{
    QFETCH(quint64, descriptors);
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, reached);
    QFETCH(QStringList, left);

    ClubRun run;
    run.Start(descriptors, m_outer->Port(), m_origin->Port());
    if (QTest::currentTestFailed()) {
        return;
    }
    const ChaosClub &club = run.Club;
    ChaosPeers &peers = *run.Peers;
    ProgramProcess &program = *run.Program;
    const quint16 relayPort = run.RelayPort;

    IdleFlood flood;
    const int perAddress = FloodPerPort / int(addresses.size());
    // The relay's pairs first: then the client port's flood meets the descriptors' end.
    flood.Open(addresses, perAddress, relayPort);
    flood.Open(addresses, perAddress, run.ControlPort);
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
    run.End();
}

void TestConnectionFlood::browsersOfOneComputer_data()
{
    QTest::addColumn<bool>("upload");
    QTest::addColumn<int>("atOnce");
    // What each transfer's line says, but for its connections.
    QTest::addColumn<QString>("line");
    QTest::newRow("slow uploads") << true << BrowsersRequests
                                  << QStringLiteral("200 %1 14 ").arg(TransferBytes); // "received 20000"
    // Twice as many requests as connections: each is used again, tinyproxy closing none of them.
    QTest::newRow("kept alive") << false << BrowsersRequests / 2 << QStringLiteral("200 0 %1 ").arg(TransferBytes);
}

// The relay's share holds fewer pairs than two idle club computers try to open beside three
// browsers' requests from one computer: curl's requests there take room from the idle computers
// holding most, and a fourth computer's fetches find room throughout.
void TestConnectionFlood::browsersOfOneComputer()
{
    QFETCH(bool, upload);
    QFETCH(int, atOnce);
    QFETCH(QString, line);
    ClubRun run;
    // tinyproxy closes a connection after each answer: the kept-alive requests go to the origin.
    // Every computer here may use the internet: the idle ones too take and give room as club
    // computers.
    run.Start(BrowsersDescriptors, upload ? m_outer->Port() : m_origin->Port(), m_origin->Port(), IdleComputer + 2);
    if (QTest::currentTestFailed()) {
        return;
    }
    const QStringList computers = run.Club.Addresses(0).Addresses;
    ChaosPeers &peers = *run.Peers;
    ProgramProcess &program = *run.Program;
    const quint16 relayPort = run.RelayPort;

    // Until its tile has its seance, the program refuses the witness: its failures count after
    // its first whole fetch.
    auto fetch = std::make_unique<RelayFetch>(computers.at(WitnessComputer), relayPort, m_origin->Port());
    int whole = 0;
    int broken = 0;
    const auto witness = [&] {
        if (fetch->Step()) {
            const bool ok = fetch->Body() == OriginPattern::Bytes(FetchBytes);
            whole += ok ? 1 : 0;
            broken += !ok && whole > 0 ? 1 : 0;
            fetch = std::make_unique<RelayFetch>(computers.at(WitnessComputer), relayPort, m_origin->Port());
        }
    };
    QVERIFY(peers.RunUntil([&] { return witness(), whole > 0; }, AnswerSeconds));
    // The idle computers too take room only once the program knows their seances.
    for (const int computer : {IdleComputer, IdleComputer + 1}) {
        QVERIFY(FetchesWhole(peers, computers.at(computer), relayPort, m_origin->Port(), witness));
    }
    // Each computer's at once, as a computer opens them; the relay holds a pair in two descriptors.
    IdleFlood idle;
    const qsizetype before = program.Descriptors().size();
    idle.Open({computers.at(IdleComputer)}, IdlePerComputer, relayPort);
    QVERIFY(peers.RunUntil([&] { return witness(), program.Descriptors().size() >= before + 2 * IdlePerComputer; },
                           BrowsersSeconds));
    idle.Open({computers.at(IdleComputer + 1)}, IdlePerComputer, relayPort);
    QVERIFY(
        peers.RunUntil([&] { return witness(), idle.Closed() >= 2 * IdlePerComputer - RelayShare; }, BrowsersSeconds));
    const qsizetype idleClosed = idle.Closed();

    QTemporaryFile body;
    QVERIFY(body.open() && body.write(OriginPattern::Bytes(TransferBytes)) == TransferBytes && body.flush());
    const QString url = upload ? QStringLiteral("http://127.0.0.1:%1/upload").arg(m_origin->Port())
                               : QStringLiteral("http://127.0.0.1:%1/size/%2").arg(m_origin->Port()).arg(TransferBytes);
    QProcess curl;
    QVERIFY(StartCurl(curl,
                      url,
                      upload ? body.fileName() : QString(),
                      BrowsersRequests,
                      atOnce,
                      computers.at(BrowsersComputer),
                      relayPort));
    QVERIFY(peers.RunUntil([&] { return witness(), curl.waitForFinished(0) || curl.state() == QProcess::NotRunning; },
                           BrowsersSeconds));
    const QStringList lines =
        QString::fromLatin1(curl.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype reused = lines.filter(QRegularExpression(QStringLiteral(" 0$"))).size();
    QVERIFY(peers.RunUntil([&] { return witness(), whole >= 3; }, AnswerSeconds));
    qInfo("idle connections of two club computers closed by the relay: %lld of %d before the browsers, %lld after; "
          "the fourth computer's fetches meanwhile: %d whole, %d not; requests on a kept connection: %lld",
          qint64(idleClosed),
          2 * IdlePerComputer,
          qint64(idle.Closed()),
          whole,
          broken,
          qint64(reused));
    QCOMPARE(lines.size(), BrowsersRequests);
    QCOMPARE(lines.filter(line).size(), BrowsersRequests);
    QCOMPARE(broken, 0);
    QVERIFY(idleClosed > 0);
    QVERIFY(upload || reused > 0);
    run.End();
}

// A club computer that may not use the internet (no seance) is limited at the relay as any other
// address: its idle connections at a full relay take no room from a paying computer's downloads,
// which wait, unread, in the relay meanwhile.
void TestConnectionFlood::unpaidComputerTakesNoRoom()
{
    ClubRun run;
    run.Start(UnpaidDescriptors, m_origin->Port(), m_origin->Port());
    if (QTest::currentTestFailed()) {
        return;
    }
    const QStringList computers = run.Club.Addresses(0).Addresses;
    ChaosPeers &peers = *run.Peers;
    const qsizetype before = run.Program->Descriptors().size();
    std::vector<std::unique_ptr<RelayFetch>> downloads;
    for (int i = 0; i < UnpaidDownloads; ++i) {
        downloads.push_back(
            std::make_unique<RelayFetch>(computers.at(BrowsersComputer), run.RelayPort, m_origin->Port()));
    }
    // Each sends its request and reads nothing yet: the answers wait in the relay, each pair on the
    // client computer's side at least.
    QVERIFY(peers.RunUntil(
        [&] {
            const bool asked =
                std::all_of(downloads.begin(), downloads.end(), [](const auto &download) { return download->Ask(); });
            return asked && run.Program->Descriptors().size() >= before + UnpaidDownloads;
        },
        AnswerSeconds));
    IdleFlood idle;
    idle.Open({computers.at(IdleComputer)}, UnpaidDownloads, run.RelayPort);
    peers.RunUntil([&] { return idle.Closed() >= UnpaidDownloads; }, HoldSeconds);
    int whole = 0;
    for (const auto &download : downloads) {
        peers.RunUntil([&] { return download->Step(); }, AnswerSeconds);
        whole += download->Body() == OriginPattern::Bytes(FetchBytes) ? 1 : 0;
    }
    qInfo("relay share %lld pairs: the paying computer's downloads whole %d of %d; the unpaid computer's idle "
          "connections closed %lld of %d",
          qint64(UnpaidDescriptors / 4),
          whole,
          UnpaidDownloads,
          qint64(idle.Closed()),
          UnpaidDownloads);
    QCOMPARE(whole, UnpaidDownloads);
    // The stranger's number, 4, is all it holds.
    QCOMPARE(idle.Closed(), UnpaidDownloads - 4);
    run.End();
}

QTEST_GUILESS_MAIN(TestConnectionFlood)
#include "tst_connectionflood.moc"
