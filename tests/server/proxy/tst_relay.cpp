#include "clock.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "localservice.h"
#include "mainlogtext.h"
#include "originpattern.h"
#include "proxy/proxy.h"
#include "proxy/relayconnection.h"
#include "seances/computersframe.h"
#include "socketctl.h"
#include "testnetwork.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

namespace
{
// curl's own exit codes.
constexpr int CurlEmptyReply = 52;
constexpr qint64 FiftyMegabytes = 50LL * 1024 * 1024;
constexpr int CurlWaitMs = 180000;
// Room for a request's or a response's headers on top of its body.
constexpr qint64 HeaderRoom = 4096;

struct CurlResult
{
    int ExitCode = -1;
    // The response heads as they came (a tunnel's own head first), and the body.
    QByteArray Heads;
    QByteArray Body;
};
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
    void refused_data();
    void refused();
    void portInUseAndLogs();

private:
    void LoadWindow(bool Logging);
    CurlResult Curl(const QString &Interface, const QString &Path, bool Tunnel = false) const;
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

CurlResult TestRelay::Curl(const QString &Interface, const QString &Path, bool Tunnel) const
{
    const QString output = m_downloads.filePath(QStringLiteral("body"));
    const QString heads = m_downloads.filePath(QStringLiteral("heads"));
    QFile::remove(output);
    QFile::remove(heads);
    QStringList arguments{QStringLiteral("-s"),
                          QStringLiteral("--max-time"),
                          QStringLiteral("120"),
                          QStringLiteral("--proxy"),
                          QStringLiteral("http://127.0.0.1:%1").arg(m_window->Relay()->Port()),
                          QStringLiteral("--interface"),
                          Interface,
                          QStringLiteral("-o"),
                          output,
                          QStringLiteral("-D"),
                          heads};
    if (Tunnel) {
        arguments << QStringLiteral("-p");
    }
    arguments << OriginUrl(Path);
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
    CurlResult result;
    // The relay runs in this thread: wait with the events processed.
    if (!curl.waitForStarted()
        || !QTest::qWaitFor([&curl] { return curl.state() == QProcess::NotRunning; }, CurlWaitMs)) {
        return result;
    }
    result.ExitCode = curl.exitCode();
    QFile body(output);
    if (body.open(QIODevice::ReadOnly)) {
        result.Body = body.readAll();
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
    QTest::newRow("request through the outer proxy") << false << FiftyMegabytes << qint64(0);
    QTest::newRow("tunnel through CONNECT") << true << FiftyMegabytes << qint64(0);
    QTest::newRow("cut by the hourly limit") << false << qint64(1024 * 1024) << qint64(100);
    QTest::newRow("cut inside the first chunk") << false << qint64(3 * 1024 * 1024) << qint64(1);
    QTest::newRow("tunnel cut by the hourly limit") << true << qint64(3 * 1024 * 1024) << qint64(300);
}

void TestRelay::download()
{
    QFETCH(bool, tunnel);
    QFETCH(qint64, size);
    QFETCH(qint64, hourLimit);
    if (hourLimit > 0) {
        SetConfigValue(QStringLiteral("HourDownloadLimit"), QString::number(hourLimit));
    }
    LoadWindow(false);
    const bool cut = hourLimit > 0;
    const qint64 allowance = cut ? hourLimit * 1024 : size;
    const QString path = QStringLiteral("/size/%1").arg(size);
    const CurlResult result = Curl(QStringLiteral("127.0.0.2"), path, tunnel);
    QCOMPARE(result.ExitCode != 0, cut);
    QVERIFY2(cut || result.Body.size() == size, qPrintable(QString::number(result.Body.size())));
    QVERIFY(result.Body == OriginPattern::Bytes(result.Body.size()));
    QTRY_VERIFY(m_window->Relay()->ConnectionIndexes().isEmpty());
    // The relay reads the URL of any chunk that starts with GET, the request inside a tunnel too;
    // CONNECT itself has none.
    QCOMPARE(TrafficUrls(), QStringList{tunnel ? path : OriginUrl(path)});
    // The seance is counted what curl received, and a cut comes with the chunk that reaches the
    // allowance.
    const auto [downloaded, uploaded] = SavedTraffic(m_seance);
    const qint64 received = result.Heads.size() + result.Body.size();
    QVERIFY2(downloaded == received && downloaded >= allowance,
             qPrintable(QStringLiteral("counted %1, received %2").arg(downloaded).arg(received)));
    QVERIFY2(!cut || downloaded - allowance < RelayConnection::ChunkBytes, qPrintable(QString::number(downloaded)));
    QVERIFY2(uploaded > 0 && uploaded < HeaderRoom, qPrintable(QString::number(uploaded)));
}

void TestRelay::refused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<bool>("recorded");
    QTest::newRow("unknown computer") << QStringLiteral(
        "127.0.0.9") << QStringLiteral("! Попытка доступа в интернет с неизвестного компьютера: 127.0.0.9 !")
                                      << false;
    QTest::newRow("seance without internet")
        << QStringLiteral("127.0.0.3")
        << QStringLiteral("! Попытка доступа в интернет с компьютера №2, которому в настоящий момент доступ закрыт!")
        << true;
}

void TestRelay::refused()
{
    QFETCH(QString, address);
    QFETCH(QString, logLine);
    QFETCH(bool, recorded);
    LoadWindow(false);
    const QString path = QStringLiteral("/size/1000");
    const CurlResult result = Curl(address, path);
    QCOMPARE(result.ExitCode, CurlEmptyReply);
    QCOMPARE(result.Body, QByteArray());
    QVERIFY2(MainLogEntries().contains(logLine), qPrintable(MainLogText()));
    QCOMPARE(TrafficUrls(), recorded ? QStringList{OriginUrl(path)} : QStringList());
    QTRY_VERIFY(m_window->Relay()->ConnectionIndexes().isEmpty());
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

// A port taken by another program stops the relay and leaves the window running; with logging on
// the listener and each connection write their own file.
void TestRelay::portInUseAndLogs()
{
    LoadWindow(true);
    const CurlResult result = Curl(QStringLiteral("127.0.0.2"), QStringLiteral("/size/1000"));
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
