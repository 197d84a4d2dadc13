#include "clock.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "countingtap.h"
#include "localservice.h"
#include "mainlogtext.h"
#include "originpattern.h"
#include "proxy/proxy.h"
#include "proxy/relayconnection.h"
#include "rawsockets.h"
#include "seances/computersframe.h"
#include "socketctl.h"
#include "testnetwork.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

#include <future>
#include <numeric>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// curl's own exit codes.
constexpr int CurlEmptyReply = 52;
constexpr qint64 FiftyMegabytes = 50LL * 1024 * 1024;
constexpr int CurlWaitMs = 180000;

struct CurlResult
{
    int ExitCode = -1;
    // The response heads as they came (a tunnel's own head first), and the bodies one after another.
    QByteArray Heads;
    QByteArray Body;
    // What curl says it sent of each request, a request it sent again on a new connection added in.
    QList<qint64> RequestBytes;
};

// A blocking read of the browser below waits this long at most.
constexpr int BrowserReadSeconds = 10;

// The length of the first answer in Bytes once its head has come, head and body; -1 before.
qsizetype AnswerLength(const QByteArray &Bytes)
{
    static const QByteArray headEnd("\r\n\r\n");
    static const QByteArray lengthField("\r\nContent-Length: ");
    const qsizetype end = Bytes.indexOf(headEnd);
    const qsizetype field = Bytes.indexOf(lengthField);
    if (end < 0 || field < 0 || field > end) {
        return -1;
    }
    const qsizetype value = field + lengthField.size();
    return end + headEnd.size() + Bytes.mid(value, Bytes.indexOf('\r', value) - value).toLongLong();
}

// A browser in a thread of its own, on a blocking socket from 127.0.0.2: sends First, reads its
// whole answer and sends Next at once, as a browser asks again on a connection whose answer did not
// say it closes; then reads until the relay closes. With no Next it ends its sending after First,
// as HTTP/1.0 tools do. Gives all it received.
QByteArray AskTwice(quint16 RelayPort, const QByteArray &First, const QByteArray &Next)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval timeout{BrowserReadSeconds, 0};
    const sockaddr_in from = SocketAddress(QStringLiteral("127.0.0.2"), 0);
    const sockaddr_in relay = SocketAddress(QStringLiteral("127.0.0.1"), RelayPort);
    QByteArray received;
    if (::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0
        && ::bind(socket, reinterpret_cast<const sockaddr *>(&from), sizeof from) == 0
        && ::connect(socket, reinterpret_cast<const sockaddr *>(&relay), sizeof relay) == 0
        && ::send(socket, First.constData(), size_t(First.size()), MSG_NOSIGNAL) == First.size()) {
        char buffer[64 * 1024];
        ssize_t got = Next.isEmpty() && ::shutdown(socket, SHUT_WR) == 0 ? 0 : 1;
        while ((AnswerLength(received) < 0 || received.size() < AnswerLength(received)) && got > 0) {
            got = ::recv(socket, buffer, sizeof buffer, 0);
            received.append(buffer, qMax<ssize_t>(got, 0));
        }
        // The relay may have closed already: then the system refuses it.
        static_cast<void>(::send(socket, Next.constData(), size_t(Next.size()), MSG_NOSIGNAL));
        while ((got = ::recv(socket, buffer, sizeof buffer, 0)) > 0) {
            received.append(buffer, got);
        }
    }
    ::close(socket);
    return received;
}

constexpr qint64 UploadBytes = 6LL * 1024 * 1024;

// A club computer's upload in a thread of its own, on a blocking socket from 127.0.0.2: sends Head
// and Size bytes of body as far as the relay takes them, then reads until the relay closes. Gives
// all it received.
QByteArray Upload(quint16 RelayPort, const QByteArray &Head, qint64 Size)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval timeout{BrowserReadSeconds, 0};
    const sockaddr_in from = SocketAddress(QStringLiteral("127.0.0.2"), 0);
    const sockaddr_in relay = SocketAddress(QStringLiteral("127.0.0.1"), RelayPort);
    QByteArray received;
    if (::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0
        && ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) == 0
        && ::bind(socket, reinterpret_cast<const sockaddr *>(&from), sizeof from) == 0
        && ::connect(socket, reinterpret_cast<const sockaddr *>(&relay), sizeof relay) == 0
        && ::send(socket, Head.constData(), size_t(Head.size()), MSG_NOSIGNAL) == Head.size()) {
        const QByteArray body = OriginPattern::Bytes(Size);
        qint64 sent = 0;
        ssize_t got = 1;
        while (sent < Size && got > 0) {
            got = ::send(socket, body.constData() + sent, size_t(Size - sent), MSG_NOSIGNAL);
            sent += qMax<ssize_t>(got, 0);
        }
        char buffer[64 * 1024];
        while ((got = ::recv(socket, buffer, sizeof buffer, 0)) > 0) {
            received.append(buffer, got);
        }
    }
    ::close(socket);
    return received;
}
} // namespace

// The program's relay end to end: curl on 127.0.0.N stands for the club computers, tinyproxy for
// the club's outer proxy, the test origin for the internet.
class TestRelay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void download_data();
    void download();
    void countedAsReached_data();
    void countedAsReached();
    void refused_data();
    void refused();
    void portInUseAndLogs();

private:
    void LoadWindow(bool Logging);
    // One curl fetching the paths one after another, on one connection where it can.
    CurlResult Curl(const QString &Interface, const QStringList &Paths, bool Tunnel = false) const;
    QString OriginUrl(const QString &Path) const;
    QStringList TrafficUrls() const;
    // The window's end, after which the tiles have saved their seances' traffic.
    std::pair<qint64, qint64> SavedTraffic(qint32 Seance);

    QTemporaryDir m_config;
    QTemporaryDir m_downloads;
    std::unique_ptr<LocalService> m_origin;
    std::unique_ptr<LocalService> m_tinyproxy;
    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<MainForm> m_window;
    quint16 m_relayPort = 0;
    qint32 m_seance = 0;
    qint32 m_closedSeance = 0;
};

void TestRelay::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty(), "curl is not installed");
    QString err;
    m_origin = LocalService::StartOrigin(err);
    QVERIFY2(m_origin, qPrintable(err));
    m_tinyproxy = LocalService::StartTinyProxy(m_origin->Port(), err);
    QVERIFY2(m_tinyproxy, qPrintable(err));
}

void TestRelay::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    m_relayPort = LocalService::FreePort();
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("1"));
    SetConfigValue(QStringLiteral("ProxyPort"), QString::number(m_relayPort));
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("127.0.0.1"));
    SetConfigValue(QStringLiteral("OuterProxyPort"), QString::number(m_tinyproxy->Port()));
    const qint32 internet =
        m_db->Add(QStringLiteral("Desktops"),
                  {{QStringLiteral("Name"), QStringLiteral("Интернет")}, {QStringLiteral("IsInternet"), 1}});
    const qint32 closed = m_db->AddDesktop(QStringLiteral("Без интернета"));
    const qint32 first = m_db->Add(QStringLiteral("Computers"),
                                   {{QStringLiteral("Num"), 1}, {QStringLiteral("IP"), QStringLiteral("127.0.0.2")}});
    const qint32 second = m_db->Add(QStringLiteral("Computers"),
                                    {{QStringLiteral("Num"), 2}, {QStringLiteral("IP"), QStringLiteral("127.0.0.3")}});
    const qint32 rate = m_db->AddRate(QStringLiteral("Дневной"), 0, 60);
    // One hour in all: the hourly allowance counts once.
    const QDateTime now = Clock::Now();
    const QDateTime begin = now.addSecs(-10 * 60);
    m_seance = m_db->AddSeance(first, internet, rate, begin, begin.addSecs(60 * 60));
    m_closedSeance = m_db->AddSeance(second, closed, rate, begin, begin.addSecs(60 * 60));
    GetComputerCode(0, true);
}

void TestRelay::LoadWindow(bool Logging)
{
    SetLoggingEnabled(Logging);
    m_window = std::make_unique<MainForm>();
    m_window->Control()->SetAnswerTimeout(1);
    QVERIFY(m_window->Load(TestNetwork::FreeServerPort(), QHostAddress(QStringLiteral("127.0.0.1"))));
    // The tiles come once the window is on the screen.
    m_window->show();
    QTRY_VERIFY(m_window->Computers()->Panel()->ComputerControlExists(2));
    // The client computers report the seances they run: on line.
    m_window->Computers()->SetUserState(1, m_seance);
    m_window->Computers()->SetUserState(2, m_closedSeance);
    QVERIFY(m_window->Relay()->IsActive());
    QCOMPARE(m_window->Relay()->Port(), m_relayPort);
    QCOMPARE(m_window->Relay()->ClubAddresses(),
             (QSet<QString>{QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3")}));
}

void TestRelay::cleanup()
{
    if (m_window && !m_window->IsUnloaded()) {
        m_window->ForceUnload();
    }
    m_window.reset();
    MessageBox::TakeRecords();
    m_db.reset();
    SetLoggingEnabled(false);
}

QString TestRelay::OriginUrl(const QString &Path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_origin->Port()).arg(Path);
}

CurlResult TestRelay::Curl(const QString &Interface, const QStringList &Paths, bool Tunnel) const
{
    const QString heads = m_downloads.filePath(QStringLiteral("heads"));
    QFile::remove(heads);
    QStringList arguments{QStringLiteral("-s"),
                          QStringLiteral("--max-time"),
                          QStringLiteral("120"),
                          QStringLiteral("--proxy"),
                          QStringLiteral("http://127.0.0.1:%1").arg(m_window->Relay()->Port()),
                          QStringLiteral("--interface"),
                          Interface,
                          QStringLiteral("-D"),
                          heads,
                          QStringLiteral("-w"),
                          QStringLiteral("%{size_request}\\n")};
    if (Tunnel) {
        arguments << QStringLiteral("-p");
    }
    QStringList outputs;
    for (const QString &path : Paths) {
        outputs.append(m_downloads.filePath(QStringLiteral("body%1").arg(outputs.size())));
        QFile::remove(outputs.last());
        arguments << QStringLiteral("-o") << outputs.last() << OriginUrl(path);
    }
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
    CurlResult result;
    // The relay runs in this thread: wait with the events processed.
    if (!curl.waitForStarted()
        || !QTest::qWaitFor([&curl] { return curl.state() == QProcess::NotRunning; }, CurlWaitMs)) {
        return result;
    }
    result.ExitCode = curl.exitCode();
    for (const QString &output : std::as_const(outputs)) {
        QFile body(output);
        if (body.open(QIODevice::ReadOnly)) {
            result.Body += body.readAll();
        }
    }
    for (const QByteArray &line : curl.readAllStandardOutput().trimmed().split('\n')) {
        result.RequestBytes.append(line.toLongLong());
    }
    QFile head(heads);
    if (head.open(QIODevice::ReadOnly)) {
        result.Heads = head.readAll();
    }
    return result;
}

QStringList TestRelay::TrafficUrls() const
{
    QStringList urls;
    const auto traffic = m_db->All(QStringLiteral("Traffic"));
    for (const auto &record : *traffic) {
        urls.append(TextValue(*record, QStringLiteral("URL")));
    }
    return urls;
}

std::pair<qint64, qint64> TestRelay::SavedTraffic(qint32 Seance)
{
    m_window->ForceUnload();
    const auto record = m_db->Record(QStringLiteral("Seances"), Seance);
    if (!record) {
        return {-1, -1};
    }
    return {qint64(MoneyValue(*record, QStringLiteral("Downloaded")).ToDouble()),
            qint64(MoneyValue(*record, QStringLiteral("Uploaded")).ToDouble())};
}

void TestRelay::download_data()
{
    QTest::addColumn<bool>("tunnel");
    QTest::addColumn<qint64>("size");
    // Kilobytes an hour; 0 for none.
    QTest::addColumn<qint64>("hourLimit");
    // How many times curl fetches the path: on one connection while the outer proxy keeps it.
    QTest::addColumn<qint32>("requests");
    QTest::newRow("request through the outer proxy") << false << FiftyMegabytes << qint64(0) << 1;
    QTest::newRow("tunnel through CONNECT") << true << FiftyMegabytes << qint64(0) << 1;
    QTest::newRow("cut by the hourly limit") << false << qint64(1024 * 1024) << qint64(100) << 1;
    QTest::newRow("cut inside the first chunk") << false << qint64(3 * 1024 * 1024) << qint64(1) << 1;
    QTest::newRow("tunnel cut by the hourly limit") << true << qint64(3 * 1024 * 1024) << qint64(300) << 1;
    // tinyproxy answers without "Connection: close" and closes: curl would ask on that connection.
    QTest::newRow("requests one after another") << false << qint64(300 * 1000) << qint64(0) << 12;
    QTest::newRow("requests one after another in a tunnel") << true << qint64(300 * 1000) << qint64(0) << 12;
}

void TestRelay::download()
{
    QFETCH(bool, tunnel);
    QFETCH(qint64, size);
    QFETCH(qint64, hourLimit);
    QFETCH(qint32, requests);
    if (hourLimit > 0) {
        SetConfigValue(QStringLiteral("HourDownloadLimit"), QString::number(hourLimit));
    }
    LoadWindow(false);
    const bool cut = hourLimit > 0;
    const qint64 allowance = cut ? hourLimit * 1024 : size * requests;
    const QString path = QStringLiteral("/size/%1").arg(size);
    const CurlResult result = Curl(QStringLiteral("127.0.0.2"), QStringList(requests, path), tunnel);
    QCOMPARE(result.ExitCode != 0, cut);
    const QByteArray bodies = OriginPattern::Bytes(size).repeated(requests);
    QVERIFY2(cut || result.Body.size() == bodies.size(), qPrintable(QString::number(result.Body.size())));
    QVERIFY(result.Body == bodies.left(result.Body.size()));
    QTRY_VERIFY(m_window->Relay()->ConnectionIndexes().isEmpty());
    // The relay reads the URL of any chunk that starts with GET, the request inside a tunnel too;
    // CONNECT itself has none. Each request that was answered is recorded once.
    QCOMPARE(TrafficUrls(), QStringList(requests, tunnel ? path : OriginUrl(path)));
    // The seance is counted what curl received, and a cut comes with the chunk that reaches the
    // allowance.
    const auto [downloaded, uploaded] = SavedTraffic(m_seance);
    const qint64 received = result.Heads.size() + result.Body.size();
    QVERIFY2(downloaded == received && downloaded >= allowance,
             qPrintable(QStringLiteral("counted %1, received %2").arg(downloaded).arg(received)));
    QVERIFY2(!cut || downloaded - allowance < RelayConnection::ChunkBytes, qPrintable(QString::number(downloaded)));
    // And each answered request once, as curl sent it (it adds in one sent again on a new
    // connection; in a tunnel everything is sent once, its CONNECT first).
    const qint64 sent = std::accumulate(result.RequestBytes.begin(), result.RequestBytes.end(), qint64(0));
    const qint64 once = tunnel ? sent : requests * result.RequestBytes.value(0);
    QVERIFY2(uploaded == once,
             qPrintable(QStringLiteral("counted %1 of %2, curl sent %3").arg(uploaded).arg(once).arg(sent)));
}

void TestRelay::countedAsReached_data()
{
    QTest::addColumn<bool>("upload");
    QTest::addColumn<bool>("halfCloses");
    // tinyproxy closes after each answer, not saying so: a browser asks again on that connection.
    QTest::newRow("a second GET the moment the answer is read") << false << false;
    QTest::newRow("an upload the outer side stops reading and closes") << true << false;
    QTest::newRow("a GET, then the end of the computer's sending") << false << true;
}

// The seance is counted what left for the outer proxy, as a tap in front of tinyproxy receives it,
// and a request is recorded only when it left; the outer proxy's close races the next request or
// the rest of an upload. The answers' sizes run across the relay's chunks.
void TestRelay::countedAsReached()
{
    QFETCH(bool, upload);
    QFETCH(bool, halfCloses);
    CountingTap tap(m_tinyproxy->Port());
    SetConfigValue(QStringLiteral("OuterProxyPort"), QString::number(tap.Port()));
    LoadWindow(false);
    const auto request = [this](const QString &Method, const QString &Url, const QString &Rest) {
        return QStringLiteral("%1 %2 HTTP/1.1\r\nHost: 127.0.0.1:%3\r\n%4\r\n")
            .arg(Method, Url)
            .arg(m_origin->Port())
            .arg(Rest)
            .toLatin1();
    };
    QRandomGenerator random(39);
    qint64 received = 0;
    std::vector<std::future<QByteArray>> browsers;
    for (int round = 0; round < (upload ? 3 : 4); ++round) {
        for (int i = 0; i < (upload ? 1 : 40); ++i) {
            const QString url =
                OriginUrl(QStringLiteral("/size/%1").arg(random.bounded(2 * RelayConnection::ChunkBytes)));
            browsers.push_back(
                upload ? std::async(std::launch::async,
                                    Upload,
                                    m_relayPort,
                                    request(QStringLiteral("POST"),
                                            OriginUrl(QStringLiteral("/stop/65536")),
                                            QStringLiteral("Content-Length: %1\r\n").arg(UploadBytes)),
                                    UploadBytes)
                       : std::async(std::launch::async,
                                    AskTwice,
                                    m_relayPort,
                                    request(QStringLiteral("GET"), url, {}),
                                    halfCloses
                                        ? QByteArray()
                                        : request(QStringLiteral("GET"), OriginUrl(QStringLiteral("/size/9")), {})));
        }
        for (auto &browser : browsers) {
            QVERIFY(
                QTest::qWaitFor([&] { return browser.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                3 * BrowserReadSeconds * 1000));
            const QByteArray answer = browser.get();
            // Whole, tinyproxy's without "Connection: close", and nothing after it.
            QVERIFY2(upload
                         || (AnswerLength(answer) == answer.size() && answer.startsWith("HTTP/1.1 200 ")
                             && !answer.left(AnswerLength(answer)).contains("Connection: close")),
                     answer.left(answer.indexOf("\r\n\r\n")).constData());
            received += answer.size();
        }
        browsers.clear();
    }
    QTRY_VERIFY(m_window->Relay()->ConnectionIndexes().isEmpty());
    QTRY_COMPARE(tap.Open(), 0);
    qint64 reached = 0;
    qsizetype requests = 0;
    for (const QByteArray &bytes : tap.Received()) {
        reached += bytes.size();
        requests += bytes.count(QByteArray(upload ? "POST http://" : "GET http://"));
    }
    const qsizetype recorded = TrafficUrls().size();
    const auto [downloaded, uploaded] = SavedTraffic(m_seance);
    qInfo("%lld bytes counted, %lld reached the outer proxy; %lld requests recorded, %lld reached it",
          uploaded,
          reached,
          qint64(recorded),
          qint64(requests));
    QCOMPARE(uploaded, reached);
    QCOMPARE(recorded, requests);
    QCOMPARE(downloaded, received);
}

void TestRelay::refused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("unknown computer") << QStringLiteral(
        "127.0.0.9") << QStringLiteral("! Попытка доступа в интернет с неизвестного компьютера: 127.0.0.9 !");
    QTest::newRow("seance without internet")
        << QStringLiteral("127.0.0.3")
        << QStringLiteral("! Попытка доступа в интернет с компьютера №2, которому в настоящий момент доступ закрыт!");
}

void TestRelay::refused()
{
    QFETCH(QString, address);
    QFETCH(QString, logLine);
    LoadWindow(false);
    const QString path = QStringLiteral("/size/1000");
    const CurlResult result = Curl(address, {path});
    QCOMPARE(result.ExitCode, CurlEmptyReply);
    QCOMPARE(result.Body, QByteArray());
    QVERIFY2(MainLogEntries().contains(logLine), qPrintable(MainLogText()));
    // Refused unsent, the request reached nothing and is not recorded.
    QCOMPARE(TrafficUrls(), QStringList());
    QTRY_VERIFY(m_window->Relay()->ConnectionIndexes().isEmpty());
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

// A port taken by another program stops the relay and leaves the window running; with logging on
// the listener and each connection write their own file.
void TestRelay::portInUseAndLogs()
{
    LoadWindow(true);
    const CurlResult result = Curl(QStringLiteral("127.0.0.2"), {QStringLiteral("/size/1000")});
    QCOMPARE(result.ExitCode, 0);
    QCOMPARE(result.Body, OriginPattern::Bytes(1000));
    QTRY_VERIFY(m_window->Relay()->ConnectionIndexes().isEmpty());
    // A computer added on the settings page is a club computer to the relay once the page is saved.
    m_db->Add(QStringLiteral("Computers"),
              {{QStringLiteral("Num"), 3}, {QStringLiteral("IP"), QStringLiteral("127.0.0.4")}});
    m_window->UpdateComputersSettings();
    QVERIFY(m_window->Relay()->ClubAddresses().contains(QStringLiteral("127.0.0.4")));

    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress(QHostAddress::AnyIPv4), LocalService::FreePort()));
    SetConfigValue(QStringLiteral("ProxyPort"), QString::number(taken.serverPort()));
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    m_window->UpdateInternet();
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.first().Text.startsWith(QStringLiteral("Ошибка инициализации прокси: Ошибка инициализации: ")),
             qPrintable(boxes.first().Text));
    QVERIFY(!m_window->Relay()->IsActive());
    QVERIFY(!m_window->IsUnloaded());
    QVERIFY(m_window->Control()->GetListenerPort() > 0);

    m_window->ForceUnload();
    const auto read = [](const QString &Name) {
        QFile file(DataFolder::FilePath(QStringLiteral("ProxyLog/") + Name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QString listener = read(QStringLiteral("Proxy0.log"));
    QVERIFY2(
        listener.contains(QStringLiteral(" i Start, Port=") + QString::number(m_relayPort) + QStringLiteral("\r\n")),
        qPrintable(listener));
    QVERIFY(listener.contains(QStringLiteral(" i Выход\r\n")));
    const QString connection = read(QStringLiteral("Proxy1.log"));
    QVERIFY2(connection.contains(QStringLiteral(" i Server_DataArrival: Connection №=1, BytesTotal=")),
             qPrintable(connection));
    QVERIFY(connection.contains(QStringLiteral(" i Server_DataArrival: Connection №=1: GET http://127.0.0.1:")));
}

QTEST_MAIN(TestRelay)
#include "tst_relay.moc"
