#include "core/mainlog.h"
#include "datafolder.h"
#include "descriptorlimit.h"
#include "localservice.h"
#include "mainlogtext.h"
#include "proxy/proxy.h"
#include "proxy/relayconnection.h"
#include "rawconnection.h"
#include "recordingouter.h"
#include "stalledlistener.h"
#include "steadyclock.h"

#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <numeric>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace
{
const QHostAddress ClubComputer(QStringLiteral("127.0.0.5"));
const QHostAddress Server(QHostAddress::LocalHost);

QByteArray RandomBytes(qsizetype Size, quint32 Seed)
{
    QRandomGenerator random(Seed);
    QByteArray bytes(Size, Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = static_cast<char>(random.bounded(256));
    }
    return bytes;
}

qint64 Sum(const QList<qint32> &Lengths)
{
    return std::accumulate(Lengths.begin(), Lengths.end(), qint64(0));
}

// The open descriptors of this process below Limit.
int OpenDescriptorsLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    return static_cast<int>(limit.rlim_cur);
}

int OpenDescriptors(int Limit)
{
    int count = 0;
    for (int descriptor = 0; descriptor < Limit; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1) {
            ++count;
        }
    }
    return count;
}

// The descriptor of this process that listens on Port, or -1.
int ListeningDescriptor(quint16 Port)
{
    for (int descriptor = 0; descriptor < OpenDescriptorsLimit(); ++descriptor) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        int listening = 0;
        socklen_t size = sizeof listening;
        if (::getsockname(descriptor, reinterpret_cast<sockaddr *>(&address), &length) == 0
            && address.sin_family == AF_INET && ntohs(address.sin_port) == Port
            && ::getsockopt(descriptor, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && listening != 0) {
            return descriptor;
        }
    }
    return -1;
}

int OpenDescriptors()
{
    return OpenDescriptors(OpenDescriptorsLimit());
}

// The descriptor of this process connected from LocalPort to PeerPort, or -1.
int ConnectedDescriptor(quint16 LocalPort, quint16 PeerPort)
{
    for (int descriptor = 0; descriptor < OpenDescriptorsLimit(); ++descriptor) {
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t length = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (::getsockname(descriptor, reinterpret_cast<sockaddr *>(&local), &length) == 0
            && ::getpeername(descriptor, reinterpret_cast<sockaddr *>(&peer), &peerLength) == 0
            && local.sin_family == AF_INET && ntohs(local.sin_port) == LocalPort && ntohs(peer.sin_port) == PeerPort) {
            return descriptor;
        }
    }
    return -1;
}

// What the system holds of a connection between the relay's socket and the client's: unsent or
// unread bytes, -1 when either cannot be read.
qint64 QueuedBetween(int RelaySocket, int ClientSocket)
{
    int unsent = 0;
    int unread = 0;
    if (RelaySocket < 0 || ::ioctl(RelaySocket, SIOCOUTQ, &unsent) != 0
        || ::ioctl(ClientSocket, FIONREAD, &unread) != 0) {
        return -1;
    }
    return qint64(unsent) + unread;
}

// One trace line as the host received it.
struct Line
{
    QString Text;
    qint32 Type = 0;
    qint32 Connection = 0;
};
} // namespace

class TestProxy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void relaysBothWaysInOrder();
    void refusals_data();
    void refusals();
    void indexesReusedLowestFirst();
    void startClosesEveryPair();
    void traceOnlyWhenLogging();
    void pendingConnectRelaysOnce();
    void connectTimeoutClosesTheClient();
    void failedPairingClosesAtOnce();
    void pairClosedWhileTheHostWaits_data();
    void pairClosedWhileTheHostWaits();
    void startedAnewInATraceLine_data();
    void startedAnewInATraceLine();
    void slowClientBoundsTheBuffers();
    void countedAsDelivered_data();
    void countedAsDelivered();
    void closedClientCountedNothing();
    void thousandConnectionsLeaveNothing();
    void quietPairsParkedAndWoken();
    void misbehavingClients_data();
    void misbehavingClients();
    void noDescriptorLeft_data();
    void noDescriptorLeft();
    void acceptErrorsStopNothing();
    void timeOuts_data();
    void timeOuts();
    void shareLimit();

private:
    void StartProxy();
    std::unique_ptr<RawConnection> Connect(const QHostAddress &From = ClubComputer) const;
    // The main log's lines since the test began that contain Text.
    qsizetype Logged(const QString &Text) const;
    QList<qint32> Indexes() const;
    // Whether a trace line starting with Text came with this type and connection.
    bool Traced(const QString &Text, qint32 Type, qint32 Connection) const;
    // Waits until what the outer side still holds stops shrinking: every buffer on the way is full.
    bool WaitUntilStalled() const;

    QTemporaryDir m_data;
    std::unique_ptr<Proxy> m_proxy;
    qsizetype m_logStart = 0;
    std::unique_ptr<RecordingOuter> m_outer;
    quint16 m_port = 0;
    QStringList m_ips;
    QStringList m_urls;
    QList<qint32> m_requests;
    QList<qint32> m_responses;
    QList<Line> m_lines;
    // The host's answers: Cancel for the chunk with this number (from 1), or a wait inside it.
    std::function<bool(qsizetype Chunk)> m_refuseArrival;
    qsizetype m_arrivals = 0;
    std::function<bool(qsizetype Chunk)> m_refuseRequest;
    std::function<bool(qsizetype Chunk)> m_refuseResponse;
    // Runs inside the host's handler of a trace line, after the line is recorded.
    std::function<void(const QString &Text)> m_onTrace;
};

void TestProxy::init()
{
    m_ips.clear();
    m_urls.clear();
    m_requests.clear();
    m_responses.clear();
    m_lines.clear();
    m_refuseArrival = [](qsizetype) {
        return false;
    };
    m_arrivals = 0;
    m_refuseRequest = m_refuseArrival;
    m_refuseResponse = m_refuseArrival;
    m_onTrace = nullptr;
    m_logStart = MainLogEntries().size();
    m_outer = std::make_unique<RecordingOuter>();
    m_port = LocalService::FreePort();
    StartProxy();
}

void TestProxy::initTestCase()
{
    DataFolder::SetDataFolder(m_data.path());
    QVERIFY(InitMainLog());
}

void TestProxy::StartProxy()
{
    m_proxy = std::make_unique<Proxy>();
    connect(m_proxy.get(), &Proxy::RequestArrived, this, [this](const QString &, bool &Cancel) {
        Cancel = m_refuseArrival(++m_arrivals);
    });
    connect(m_proxy.get(),
            &Proxy::RequestedURL,
            this,
            [this](const QString &ClientIP, const QString &URL, qint32 Length, bool &Cancel) {
                m_ips.append(ClientIP);
                m_urls.append(URL);
                m_requests.append(Length);
                Cancel = m_refuseRequest(m_requests.size());
            });
    connect(m_proxy.get(), &Proxy::ReceivedData, this, [this](const QString &ClientIP, qint32 Length, bool &Cancel) {
        m_ips.append(ClientIP);
        m_responses.append(Length);
        Cancel = m_refuseResponse(m_responses.size());
    });
    connect(m_proxy.get(), &Proxy::Logging, this, [this](const QString &Text, qint32 Type, qint32 Connection) {
        m_lines.append({Text, Type, Connection});
        if (m_onTrace) {
            m_onTrace(Text);
        }
    });
    m_proxy->SetOuterProxyIP(QStringLiteral("127.0.0.1"));
    m_proxy->SetOuterProxyPort(m_outer->Port());
    m_proxy->SetClubAddresses({ClubComputer.toString()});
    QString err;
    QVERIFY2(m_proxy->Start(m_port, err), qPrintable(err));
    QVERIFY(m_proxy->IsActive());
}

void TestProxy::cleanup()
{
    m_proxy.reset();
    m_outer.reset();
}

std::unique_ptr<RawConnection> TestProxy::Connect(const QHostAddress &From) const
{
    auto connection = std::make_unique<RawConnection>();
    if (!connection->Open(From, Server, m_port)) {
        return nullptr;
    }
    return connection;
}

qsizetype TestProxy::Logged(const QString &Text) const
{
    return MainLogEntries().mid(m_logStart).filter(Text).size();
}

QList<qint32> TestProxy::Indexes() const
{
    return m_proxy->ConnectionIndexes();
}

bool TestProxy::Traced(const QString &Text, qint32 Type, qint32 Connection) const
{
    return std::any_of(m_lines.begin(), m_lines.end(), [&](const Line &L) {
        return L.Text.startsWith(Text) && L.Type == Type && L.Connection == Connection;
    });
}

// Binary bytes both ways, counted for the client computer; a host that waits inside its handler of
// the first response chunk while the next one arrives keeps the order.
void TestProxy::relaysBothWaysInOrder()
{
    const auto client = Connect();
    QVERIFY(client);
    const QByteArray request = RandomBytes(256, 1);
    QVERIFY(client->Write(request));
    QVERIFY(m_outer->WaitForBytes(0, request.size()));
    QCOMPARE(m_outer->Received(0), request);
    const QByteArray first = RandomBytes(3000, 5);
    const QByteArray second = RandomBytes(5000, 6);
    m_refuseResponse = [this, &second](qsizetype Chunk) {
        if (Chunk == 1) {
            m_outer->Send(0, second);
            QEventLoop wait;
            QTimer::singleShot(300, &wait, &QEventLoop::quit);
            wait.exec();
        }
        return false;
    };
    m_outer->Send(0, first);
    QCOMPARE(client->WaitForBytes(first.size() + second.size()), first + second);
    QCOMPARE(Sum(m_requests), request.size());
    QCOMPARE(Sum(m_responses), first.size() + second.size());
    QCOMPARE(m_ips.size(), m_requests.size() + m_responses.size());
    QCOMPARE(m_ips.count(QStringLiteral("127.0.0.5")), m_ips.size());
    QVERIFY(m_lines.isEmpty());
}

void TestProxy::refusals_data()
{
    QTest::addColumn<bool>("refuseRequest");
    QTest::newRow("request refused") << true;
    QTest::newRow("second response chunk refused") << false;
}

void TestProxy::refusals()
{
    QFETCH(bool, refuseRequest);
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(m_outer->WaitForCount(1));
    if (refuseRequest) {
        m_refuseArrival = [](qsizetype) {
            return true;
        };
        QVERIFY(client->Write("GET http://example.org/ HTTP/1.0\r\n\r\n"));
        QVERIFY(client->WaitForClose());
        QVERIFY(m_outer->WaitForClose(0));
        // Refused unsent: nothing reached the outer proxy, nothing is counted.
        QCOMPARE(m_outer->Received(0), QByteArray());
        QCOMPARE(m_arrivals, 1);
        QCOMPARE(m_urls, QStringList());
    } else {
        m_refuseResponse = [](qsizetype Chunk) {
            return Chunk == 2;
        };
        const QByteArray first = RandomBytes(1000, 3);
        m_outer->Send(0, first);
        QCOMPARE(client->WaitForBytes(first.size()), first);
        const QByteArray second = RandomBytes(1000, 4);
        m_outer->Send(0, second);
        QVERIFY(client->WaitForClose());
        // The host is asked about what the client computer has been handed: the refused chunk has
        // reached it, as the host counted it.
        QCOMPARE(client->Received(), first + second);
        QVERIFY(m_outer->WaitForClose(0));
    }
    QCOMPARE(client->Received().size(), refuseRequest ? 0 : 2000);
    QTRY_VERIFY(Indexes().isEmpty());
    QVERIFY(m_lines.isEmpty());
}

void TestProxy::indexesReusedLowestFirst()
{
    std::vector<std::unique_ptr<RawConnection>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(Connect());
        QVERIFY(clients.back());
        QVERIFY(m_outer->WaitForCount(i + 1));
    }
    QCOMPARE(Indexes(), (QList<qint32>{1, 2, 3}));
    clients.at(1)->Close();
    QTRY_COMPARE(Indexes(), (QList<qint32>{1, 3}));
    clients.at(0)->Close();
    QTRY_COMPARE(Indexes(), QList<qint32>{3});
    clients.push_back(Connect());
    QVERIFY(m_outer->WaitForCount(4));
    clients.push_back(Connect());
    QVERIFY(m_outer->WaitForCount(5));
    QCOMPARE(Indexes(), (QList<qint32>{1, 2, 3}));
}

void TestProxy::startClosesEveryPair()
{
    const auto first = Connect();
    const auto second = Connect();
    QVERIFY(first && second);
    QVERIFY(m_outer->WaitForCount(2));
    QCOMPARE(Indexes().size(), 2);
    QString err;
    QVERIFY2(m_proxy->Start(m_port, err), qPrintable(err));
    QVERIFY(Indexes().isEmpty());
    QVERIFY(first->WaitForClose());
    QVERIFY(second->WaitForClose());
    QVERIFY(m_outer->WaitForClose(0));
    QVERIFY(m_outer->WaitForClose(1));
    const auto third = Connect();
    QVERIFY(third);
    QVERIFY(third->Write("x"));
    QVERIFY(m_outer->WaitForBytes(2, 1));
    QCOMPARE(Indexes(), QList<qint32>{1});
}

// With logging on, the listener's lines carry 0 and a pair's lines its number; with it off nothing
// is traced, as the relaying and refusing tests check.
void TestProxy::traceOnlyWhenLogging()
{
    m_proxy->SetLog(true);
    QVERIFY(m_lines.isEmpty());
    // An outer proxy that refuses: the pair ends at once with an error line of its own.
    const quint16 refusing = LocalService::FreePort();
    m_proxy->SetOuterProxyPort(refusing);
    QString err;
    QVERIFY2(m_proxy->Start(m_port, err), qPrintable(err));
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(client->WaitForClose());
    QVERIFY(Indexes().isEmpty());

    QCOMPARE(m_lines.first().Text, QStringLiteral("OuterProxyPort=") + QString::number(refusing));
    const QList<Line> traced{{QStringLiteral("Start, Port=") + QString::number(m_port), Proxy::TraceInfo, 0},
                             {QStringLiteral("Start: Completed!"), Proxy::TraceInfo, 0},
                             {QStringLiteral("Listener_ConnectionRequest: NewIndex=1"), Proxy::TraceInfo, 0},
                             {QStringLiteral("(Client_Error(1)): "), Proxy::TraceError, 1},
                             {QStringLiteral("KillConnection(1,1)"), Proxy::TraceInfo, 1},
                             {QString(45, QLatin1Char('-')), Proxy::TraceInfo, 0},
                             {QStringLiteral("Connections Number=1: "), Proxy::TraceInfo, 0},
                             {QStringLiteral("... 1: State=2"), Proxy::TraceInfo, 0}};
    for (const Line &line : traced) {
        QVERIFY2(Traced(line.Text, line.Type, line.Connection), qPrintable(line.Text));
    }
    for (const Line &line : std::as_const(m_lines)) {
        QVERIFY2(line.Type == Proxy::TraceInfo || line.Type == Proxy::TraceError, qPrintable(line.Text));
    }
}

void TestProxy::pendingConnectRelaysOnce()
{
    StalledListener outer;
    QVERIFY(outer.IsReady());
    m_proxy->SetOuterProxyPort(outer.Port());
    m_proxy->SetConnectTimeout(0);
    m_proxy->SetLog(true);
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(client->Write("GET /once HTTP/1.0\r\n\r\n"));
    // The request has arrived and waits for the outer side.
    QTRY_VERIFY(Traced(QStringLiteral("Server_DataArrival(1): Клиент ещё соединяется!"), Proxy::TraceInfo, 1));
    QVERIFY(m_requests.isEmpty());
    QCOMPARE(Indexes(), QList<qint32>{1});
    outer.Release();
    const QByteArray request("GET /once HTTP/1.0\r\n\r\n");
    QCOMPARE(outer.ReadUntil(request), request);
    QCOMPARE(m_urls, QStringList{QStringLiteral("/once")});
    // A second copy of the request would reach the outer side before anything written later.
    const QByteArray later("later");
    QVERIFY(client->Write(later));
    QCOMPARE(outer.ReadUntil(later), request + later);
}

void TestProxy::connectTimeoutClosesTheClient()
{
    StalledListener outer;
    QVERIFY(outer.IsReady());
    m_proxy->SetOuterProxyPort(outer.Port());
    m_proxy->SetConnectTimeout(1);
    m_proxy->SetLog(true);
    const auto client = Connect();
    QVERIFY(client);
    // The stalled outer proxy holds the pair pending; only the timeout closes it.
    QTRY_COMPARE(Indexes(), QList<qint32>{1});
    QVERIFY(client->WaitForClose(5000));
    QVERIFY(Traced(QStringLiteral("(Client_Error(1)): Истекло время соединения с прокси, секунд: 1"),
                   Proxy::TraceError,
                   1));
    QVERIFY(Indexes().isEmpty());
}

void TestProxy::failedPairingClosesAtOnce()
{
    m_proxy->SetLog(true);
    m_proxy->SetOuterProxyIP(QString());
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(client->WaitForClose(1000));
    QVERIFY(Indexes().isEmpty());
    // The listener's trace reports it.
    QVERIFY(Traced(QStringLiteral("Ошибка открытия коннекции с прокси: "), Proxy::TraceError, 0));
}

void TestProxy::pairClosedWhileTheHostWaits_data()
{
    QTest::addColumn<bool>("inTrace");
    QTest::newRow("in its handler of the request, the client computer leaves") << false;
    QTest::newRow("in a trace line, the outer proxy leaves") << true;
}

// The host may wait inside its handler (a message box) or its trace; the pair ends meanwhile and
// is freed by that wait's own events, while the relay still works on the pair further up.
void TestProxy::pairClosedWhileTheHostWaits()
{
    QFETCH(bool, inTrace);
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(m_outer->WaitForCount(1));
    std::unique_ptr<RawConnection> later;
    if (inTrace) {
        m_proxy->SetLog(true);
        bool waited = false;
        // The next client computer's pair takes the same index meanwhile.
        m_onTrace = [this, waited, &later](const QString &Text) mutable {
            if (!waited && Text.startsWith(QStringLiteral("Server_DataArrival: Connection №=1, BytesTotal="))) {
                waited = true;
                m_outer->Close(0);
                // Deferred deletions run in this wait too.
                QVERIFY(QTest::qWaitFor([this] { return Indexes().isEmpty(); }));
                later = Connect();
                QVERIFY(QTest::qWaitFor([this] { return Indexes() == QList<qint32>{1}; }));
            }
        };
    } else {
        m_refuseArrival = [&client](qsizetype) {
            QTimer::singleShot(50, [&client] { client->Close(); });
            QEventLoop wait;
            QTimer::singleShot(400, &wait, &QEventLoop::quit);
            wait.exec();
            return false;
        };
    }
    const QByteArray request("GET /late HTTP/1.0\r\n\r\n");
    QVERIFY(client->Write(request));
    if (!inTrace) {
        // Its request goes on, and its pair waits for the answer until the outer proxy closes.
        QVERIFY(m_outer->WaitForBytes(0, request.size()));
        m_outer->Close(0);
    }
    QTRY_COMPARE(Indexes(), later ? QList<qint32>{1} : QList<qint32>{});
    QVERIFY(m_outer->WaitForClose(0));
    QCOMPARE(m_outer->Received(0), inTrace ? QByteArray() : request);
    if (!later) {
        later = Connect();
    }
    QVERIFY(later);
    QVERIFY(later->Write("GET /later HTTP/1.0\r\n\r\n"));
    QVERIFY(m_outer->WaitForBytes(1, 1));
    m_onTrace = nullptr;
}

void TestProxy::startedAnewInATraceLine_data()
{
    QTest::addColumn<bool>("fromAWait");
    QTest::newRow("in the line") << false;
    QTest::newRow("from a wait inside the line") << true;
}

// The host may start the relay anew while it reads the overview line of a new pair, also from an
// event of a wait inside it (which frees what it closes): that pair is closed before it reaches the
// outer proxy, and the relay serves the next one.
void TestProxy::startedAnewInATraceLine()
{
    QFETCH(bool, fromAWait);
    m_proxy->SetLog(true);
    m_onTrace = [this, fromAWait, started = false](const QString &Text) mutable {
        if (started || !Text.startsWith(QStringLiteral("... 1: State="))) {
            return;
        }
        started = true;
        QEventLoop wait;
        const auto start = [this, &wait] {
            QString err;
            QVERIFY2(m_proxy->Start(m_port, err), qPrintable(err));
            QTimer::singleShot(0, &wait, &QEventLoop::quit);
        };
        if (!fromAWait) {
            start();
            return;
        }
        QTimer::singleShot(0, &wait, start);
        wait.exec();
    };
    // The first connection may have been closed inside the wait already.
    const auto first = Connect();
    QVERIFY(!first || first->WaitForClose());
    QVERIFY(Indexes().isEmpty());
    const auto second = Connect();
    QVERIFY(second);
    QVERIFY(second->Write("GET /next HTTP/1.0\r\n\r\n"));
    QVERIFY(m_outer->WaitForBytes(0, 1));
    QCOMPARE(m_urls, QStringList{QStringLiteral("/next")});
    QCOMPARE(m_outer->Count(), 1);
}

bool TestProxy::WaitUntilStalled() const
{
    qint64 last = -1;
    int unchanged = 0;
    return QTest::qWaitFor(
        [&] {
            const qint64 pending = m_outer->Pending(0);
            unchanged = pending == last ? unchanged + 1 : 0;
            last = pending;
            return unchanged >= 20;
        },
        30000);
}

// A client computer that does not read holds the outer proxy back instead of filling the memory.
void TestProxy::slowClientBoundsTheBuffers()
{
    QTcpSocket client;
    QVERIFY(client.bind(ClubComputer, 0));
    client.setReadBufferSize(64 * 1024);
    client.connectToHost(Server, m_port);
    QVERIFY(client.waitForConnected(3000));
    QVERIFY(m_outer->WaitForCount(1));
    const qint64 total = 48LL * 1024 * 1024;
    const QByteArray data = RandomBytes(total, 7);
    m_outer->Send(0, data);
    // Once the client's buffer is full, what the outer side still holds stops shrinking.
    QTRY_VERIFY(client.bytesAvailable() >= 64 * 1024);
    QVERIFY(WaitUntilStalled());
    QVERIFY2(m_outer->Pending(0) > 16 * 1024 * 1024, qPrintable(QString::number(m_outer->Pending(0))));
    client.setReadBufferSize(0);
    QByteArray received;
    QVERIFY(QTest::qWaitFor(
        [&] {
            received += client.readAll();
            return received.size() >= total;
        },
        30000));
    QVERIFY(received == data);
}

void TestProxy::countedAsDelivered_data()
{
    QTest::addColumn<qint64>("allowance");
    QTest::addColumn<qint64>("sent");
    // "fast" reads at once; "slow" only once every buffer on the way is full, and little at a time;
    // "reset" stops reading, then resets the connection.
    QTest::addColumn<QString>("reader");
    const qint64 chunk = RelayConnection::ChunkBytes;
    const QString fast = QStringLiteral("fast");
    QTest::newRow("inside the first chunk") << qint64(1000) << 1024LL * 1024 << fast;
    QTest::newRow("on a chunk boundary") << 4 * chunk << 8 * chunk << fast;
    QTest::newRow("a byte past a chunk boundary") << 4 * chunk + 1 << 8 * chunk << fast;
    QTest::newRow("after the read-ahead filled the buffers")
        << 3LL * 1024 * 1024 << 12LL * 1024 * 1024 << QStringLiteral("slow");
    QTest::newRow("a reader that resets") << 64LL * 1024 * 1024 << 12LL * 1024 * 1024 << QStringLiteral("reset");
    // The outer proxy closes after its answer and the client computer asks again while the relay
    // still holds the answer's end: the end is delivered, the request is not counted.
    QTest::newRow("a request after the outer proxy closed")
        << 64LL * 1024 * 1024 << 1280LL * 1024 << QStringLiteral("asks again");
    QRandomGenerator random(32);
    for (int row = 0; row < 3; ++row) {
        const qint64 allowance = random.bounded(1, 4 * 1024 * 1024);
        QTest::addRow("allowance %lld", allowance) << allowance << 4LL * 1024 * 1024 << fast;
    }
}

// The host is asked about the outer proxy's bytes as the client computer's connection takes them:
// its count is what the client computer received, however it reads, and its cut comes with the
// chunk that reaches its allowance.
void TestProxy::countedAsDelivered()
{
    QFETCH(qint64, allowance);
    QFETCH(qint64, sent);
    QFETCH(QString, reader);
    m_refuseResponse = [this, allowance](qsizetype) {
        return Sum(m_responses) >= allowance;
    };
    const bool asksAgain = reader == QLatin1String("asks again");
    QTcpSocket client;
    QVERIFY(client.bind(ClubComputer, 0));
    if (reader != QLatin1String("fast")) {
        client.setReadBufferSize(64 * 1024);
    }
    if (asksAgain) {
        // A small window, so that the answer's end waits in the relay.
        client.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 16 * 1024);
    }
    client.connectToHost(Server, m_port);
    QVERIFY(client.waitForConnected(3000));
    QVERIFY(m_outer->WaitForCount(1));
    const QByteArray data = RandomBytes(sent, 11);
    m_outer->Send(0, data);
    QByteArray received;
    qint64 queued = 0;
    if (asksAgain) {
        m_outer->Close(0);
        // The relay's system has the close; the relay itself reads that far only later.
        pollfd relaySide{ConnectedDescriptor(m_outer->PeerPort(0), m_outer->Port()), POLLRDHUP, 0};
        QVERIFY(relaySide.fd >= 0);
        QVERIFY(QTest::qWaitFor([&] { return ::poll(&relaySide, 1, 0) == 1; }));
        QVERIFY(client.write("GET /next HTTP/1.1\r\n\r\n") > 0);
    } else if (reader != QLatin1String("fast")) {
        QVERIFY(WaitUntilStalled());
    }
    if (reader == QLatin1String("reset")) {
        received = client.readAll();
        queued = QueuedBetween(ConnectedDescriptor(m_port, client.localPort()), int(client.socketDescriptor()));
        QVERIFY(queued >= 0);
        const linger reset{1, 0};
        QVERIFY(::setsockopt(int(client.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset) == 0);
        client.abort();
    } else {
        QVERIFY(QTest::qWaitFor(
            [&] {
                received += client.readAll();
                return client.state() == QAbstractSocket::UnconnectedState && client.bytesAvailable() == 0;
            },
            60000));
    }
    QTRY_VERIFY(Indexes().isEmpty());
    const qint64 counted = Sum(m_responses);
    QVERIFY(received == data.left(received.size()));
    // What the system held for the client computer at the reset was counted, never more.
    QVERIFY2(
        counted >= received.size() && counted <= received.size() + queued,
        qPrintable(QStringLiteral("counted %1, received %2, queued %3").arg(counted).arg(received.size()).arg(queued)));
    if (allowance < sent) {
        QVERIFY2(counted >= allowance && counted - m_responses.last() < allowance,
                 qPrintable(QString::number(counted)));
    }
    if (asksAgain) {
        QCOMPARE(received.size(), sent);
        QCOMPARE(m_requests, QList<qint32>());
        QCOMPARE(m_outer->Received(0), QByteArray());
    }
    QVERIFY(*std::max_element(m_responses.begin(), m_responses.end()) <= RelayConnection::ChunkBytes);
}

// A client computer that closes for good after its request is found as it is written to, and what
// it never received is not counted; its outer side closes with it. Over several runs. (One that only ends its sending
// gets its answer: the relay suite, with tinyproxy.)
void TestProxy::closedClientCountedNothing()
{
    constexpr int Runs = 10;
    const QByteArray request("GET /half HTTP/1.0\r\n\r\n");
    const QByteArray answer = RandomBytes(3 * RelayConnection::ChunkBytes / 2, 13);
    for (int run = 0; run < Runs; ++run) {
        QTcpSocket client;
        QVERIFY(client.bind(ClubComputer, 0));
        client.connectToHost(Server, m_port);
        QVERIFY(client.waitForConnected(3000));
        QVERIFY(client.write(request) == request.size() && client.waitForBytesWritten(1000));
        client.abort();
        QVERIFY(m_outer->WaitForBytes(run, request.size()));
        m_outer->Send(run, answer);
        QVERIFY(m_outer->WaitForClose(run));
        QTRY_VERIFY(Indexes().isEmpty());
    }
    QCOMPARE(Sum(m_responses), 0);
}

void TestProxy::thousandConnectionsLeaveNothing()
{
    const int before = OpenDescriptors();
    for (int i = 0; i < 1000; ++i) {
        const auto client = Connect();
        QVERIFY(client);
        QVERIFY(client->Write("GET /x HTTP/1.0\r\n\r\n"));
        client->Close();
        // Its pair waits for the answer until the outer proxy closes.
        QVERIFY(m_outer->WaitForBytes(i, 1));
        m_outer->Close(i);
    }
    QTRY_VERIFY_WITH_TIMEOUT(Indexes().isEmpty(), 10000);
    QTRY_COMPARE(OpenDescriptors(), before);
    QCOMPARE(m_urls.size(), m_requests.size());
}

// Keep-alive pairs that have passed nothing for a while leave the event loop's poll; whatever comes
// next on either side of each is relayed, or ends it, as before.
void TestProxy::quietPairsParkedAndWoken()
{
    enum class Stir
    {
        Request,
        Answer,
        OuterCloses,
        ComputerCloses,
        ComputerResets
    };
    const QList<Stir> stirs{Stir::Request, Stir::Answer, Stir::OuterCloses, Stir::ComputerCloses, Stir::ComputerResets};
    const QByteArray request("GET /quiet HTTP/1.1\r\n\r\n");
    const QByteArray answer("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    std::vector<std::unique_ptr<RawConnection>> clients;
    for (qsizetype i = 0; i < stirs.size(); ++i) {
        clients.push_back(Connect());
        QVERIFY(clients.back() && clients.back()->Write(request));
        QVERIFY(m_outer->WaitForBytes(i, request.size()));
        m_outer->Send(i, answer);
        QCOMPARE(clients.back()->WaitForBytes(answer.size()), answer);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_proxy->ParkedSockets(), 2 * stirs.size(), int(RelayConnection::QuietMs) + 3000);
    for (qsizetype i = 0; i < stirs.size(); ++i) {
        RawConnection &client = *clients.at(size_t(i));
        switch (stirs.at(i)) {
        case Stir::Request:
            QVERIFY(client.Write(request));
            QVERIFY(m_outer->WaitForBytes(i, 2 * request.size()));
            break;
        case Stir::Answer:
            m_outer->Send(i, answer);
            QCOMPARE(client.WaitForBytes(2 * answer.size()), answer + answer);
            break;
        case Stir::OuterCloses:
            m_outer->Close(i);
            QVERIFY(client.WaitForClose());
            break;
        case Stir::ComputerCloses:
            client.Close();
            QVERIFY(m_outer->WaitForClose(i));
            break;
        case Stir::ComputerResets:
            client.Reset();
            QVERIFY(m_outer->WaitForClose(i));
            break;
        }
    }
    QTRY_COMPARE(Indexes().size(), 2);
    QCOMPARE(Sum(m_responses), (stirs.size() + 1) * answer.size());
}

void TestProxy::misbehavingClients_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("garbage") << QStringLiteral("garbage");
    QTest::newRow("half-open") << QStringLiteral("half-open");
    QTest::newRow("reset") << QStringLiteral("reset");
    QTest::newRow("outer resets") << QStringLiteral("outer resets");
    QTest::newRow("a head cut short, then the end") << QStringLiteral("cut short");
}

void TestProxy::misbehavingClients()
{
    QFETCH(QString, kind);
    QTcpSocket bad;
    QVERIFY(bad.bind(ClubComputer, 0));
    bad.connectToHost(Server, m_port);
    QVERIFY(bad.waitForConnected(3000));
    QVERIFY(m_outer->WaitForCount(1));
    if (kind == QLatin1String("garbage")) {
        bad.write(RandomBytes(1024 * 1024, 8));
        QVERIFY(m_outer->WaitForBytes(0, 1024 * 1024, 10000));
        bad.close();
    } else if (kind == QLatin1String("half-open")) {
        // Connected and silent: the pair waits, the relay goes on serving others.
        QCOMPARE(Indexes(), QList<qint32>{1});
    } else if (kind == QLatin1String("reset")) {
        bad.write("GET /a HTTP/1.0\r\n\r\n");
        QVERIFY(bad.waitForBytesWritten(1000));
        const linger reset{1, 0};
        QVERIFY(::setsockopt(int(bad.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset) == 0);
        bad.abort();
    } else if (kind == QLatin1String("cut short")) {
        QVERIFY(bad.write("GET /cut HTTP/1.1\r\nHost: 127.0.0.1\r\n") > 0 && bad.waitForBytesWritten(1000));
        QVERIFY(::shutdown(int(bad.socketDescriptor()), SHUT_WR) == 0);
        // Nothing is to come of it: the outer proxy is told, and closes.
        QVERIFY(m_outer->WaitForClose(0));
    } else {
        m_outer->Send(0, RandomBytes(100, 9));
        m_outer->Close(0);
    }
    const auto good = Connect();
    QVERIFY(good);
    QVERIFY(good->Write("GET /fine HTTP/1.0\r\n\r\n"));
    QVERIFY(m_outer->WaitForBytes(1, 1));
    QVERIFY(m_urls.contains(QStringLiteral("/fine")));
    good->Close();
    bad.abort();
    // The pairs that wait for an answer end as the outer proxy closes.
    m_outer->Close(0);
    m_outer->Close(1);
    QTRY_VERIFY(Indexes().isEmpty());
}

void TestProxy::noDescriptorLeft_data()
{
    QTest::addColumn<int>("free");
    // A connection served first: every accept since has ended on "no connection waiting".
    QTest::addColumn<bool>("servedBefore");
    // Started with no descriptor to spare, the relay holds none in reserve.
    QTest::addColumn<bool>("spare");
    QTest::newRow("no descriptor for the outer side") << 2 << false << true;
    QTest::newRow("no descriptor to accept") << 1 << false << true;
    QTest::newRow("no descriptor to accept, after a connection was served") << 1 << true << true;
    QTest::newRow("no descriptor to accept and none in reserve") << 1 << false << false;
}

// Connections beyond the descriptors of the process are closed at once, or without a descriptor in
// reserve wait until accepting tries again; later ones are served. Accepting never spins.
void TestProxy::noDescriptorLeft()
{
    QFETCH(int, free);
    QFETCH(bool, servedBefore);
    QFETCH(bool, spare);
    if (servedBefore) {
        const int before = OpenDescriptors();
        const auto served = Connect();
        QVERIFY(served && served->Write("GET /first HTTP/1.0\r\n\r\n"));
        QVERIFY(m_outer->WaitForBytes(0, 1));
        served->Close();
        m_outer->Close(0);
        QTRY_COMPARE(OpenDescriptors(), before);
    }
    if (!spare) {
        m_proxy.reset();
    }
    int limit = free;
    while (limit - OpenDescriptors(limit) != free) {
        ++limit;
    }
    DescriptorLimit lowered(static_cast<rlim_t>(limit));
    if (!spare) {
        // The listener takes the last descriptor, and one more is left for the client below.
        StartProxy();
        m_proxy->SetLog(true);
        QVERIFY(lowered.Set(static_cast<rlim_t>(limit + 1)));
    }
    QTcpSocket beyond;
    bool connected = false;
    connect(&beyond, &QTcpSocket::connected, this, [&connected] { connected = true; });
    const bool bound = beyond.bind(ClubComputer, 0);
    beyond.connectToHost(Server, m_port);
    const bool ended = QTest::qWaitFor(
        [&] {
            return spare ? beyond.state() == QAbstractSocket::UnconnectedState
                         : Traced(QStringLiteral("(Listener_Error) "), Proxy::TraceError, 0);
        },
        3000);
    const QList<qint32> indexes = Indexes();
    lowered.Restore();
    QVERIFY(bound);
    QVERIFY(connected);
    QVERIFY(ended);
    QVERIFY(indexes.isEmpty());
    if (!spare) {
        QVERIFY(beyond.write("GET /waited HTTP/1.0\r\n\r\n") > 0);
        QTRY_COMPARE(m_urls, QStringList{QStringLiteral("/waited")});
        const auto errors = std::count_if(m_lines.begin(), m_lines.end(), [](const Line &L) {
            return L.Text.startsWith(QStringLiteral("(Listener_Error) "));
        });
        QVERIFY2(errors <= 2, qPrintable(QString::number(errors)));
        return;
    }
    QCOMPARE(beyond.readAll(), QByteArray());
    const auto later = Connect();
    QVERIFY(later);
    QVERIFY(later->Write("GET /later HTTP/1.0\r\n\r\n"));
    QVERIFY(m_outer->WaitForBytes(servedBefore ? 1 : 0, 1));
    QCOMPARE(m_urls.last(), QStringLiteral("/later"));
}

// An accept error that is not about descriptors stops nothing: a listener whose socket fails is
// opened again on its port in the next turn, and the main log says why it failed.
void TestProxy::acceptErrorsStopNothing()
{
    m_proxy->SetLog(true);
    const int listener = ListeningDescriptor(m_port);
    QVERIFY(listener >= 0);
    // A listening socket shut down for reading fails every accept (EINVAL).
    QVERIFY(::shutdown(listener, SHUT_RD) == 0);
    const auto errors = [this] {
        return std::count_if(m_lines.begin(), m_lines.end(), [](const Line &L) {
            return L.Text.startsWith(QStringLiteral("(Listener_Error) ")) && L.Type == Proxy::TraceError
                   && L.Connection == 0;
        });
    };
    const QString reopened =
        QStringLiteral("Прокси: прослушиватель порта %1 открыт заново после ошибки приёма соединений: ").arg(m_port);
    QTRY_COMPARE(Logged(reopened), 1);
    QVERIFY(MainLogEntries().mid(m_logStart).filter(reopened).constFirst().size() > reopened.size() + 2);
    QVERIFY(m_proxy->IsActive());
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(client->Write("GET /after HTTP/1.0\r\n\r\n"));
    QVERIFY(m_outer->WaitForBytes(0, 1));
    QCOMPARE(m_urls, QStringList{QStringLiteral("/after")});
    QCOMPARE(errors(), 1);
}

void TestProxy::timeOuts_data()
{
    QTest::addColumn<bool>("request");
    // When a byte passes, after the first accept on the relay's clock; -1 for none besides the request.
    QTest::addColumn<qint64>("byteAtMs");
    QTest::addColumn<qint64>("checkAtMs");
    QTest::addColumn<bool>("closed");
    const qint64 request = RelayConnection::RequestTimeoutMs;
    const qint64 idle = RelayConnection::IdleTimeoutMs;
    QTest::newRow("no request") << false << qint64(-1) << request << true;
    QTest::newRow("a request in time") << true << qint64(-1) << request << false;
    QTest::newRow("idle keep-alive") << true << qint64(-1) << idle << true;
    QTest::newRow("transferring") << true << idle - 1000 << idle + 1000 << false;
}

// The sweep closes the pairs that waited too long and no other; a pair accepted alongside that
// never sends a request shows that the sweep has run.
void TestProxy::timeOuts()
{
    QFETCH(bool, request);
    QFETCH(qint64, byteAtMs);
    QFETCH(qint64, checkAtMs);
    QFETCH(bool, closed);
    const auto client = Connect();
    QVERIFY(client);
    QVERIFY(m_outer->WaitForCount(1));
    if (request) {
        QVERIFY(client->Write("GET /keep HTTP/1.1\r\n\r\n"));
        QVERIFY(m_outer->WaitForBytes(0, 1));
    }
    const auto silent = Connect();
    QVERIFY(silent);
    QVERIFY(m_outer->WaitForCount(2));
    qint64 passedMs = 0;
    if (byteAtMs >= 0) {
        SteadyClock::Advance(byteAtMs);
        passedMs = byteAtMs;
        m_outer->Send(0, "x");
        QCOMPARE(client->WaitForBytes(1), QByteArray("x"));
    }
    SteadyClock::Advance(checkAtMs - passedMs);
    QVERIFY(silent->WaitForClose(3 * PortAdmission::SweepMs));
    QCOMPARE(Indexes(), closed ? QList<qint32>{} : QList<qint32>{1});
    QCOMPARE(client->WaitForClose(closed ? RawConnection::DefaultTimeoutMs : 0), closed);
}

// Connections beyond the relay's share are closed at once; the main log tells once that the limit
// is reached and, once it has been quiet for a while with fewer pairs open, that it is left. (Each
// address's own limit and the room a club computer takes: the program's flood suite.)
void TestProxy::shareLimit()
{
    {
        // The share, a quarter of the limit in pairs, is taken from the limit as the relay starts.
        DescriptorLimit lowered(128);
        QString err;
        QVERIFY2(m_proxy->Start(m_port, err), qPrintable(err));
    }
    constexpr int Share = 32;
    std::vector<std::unique_ptr<RawConnection>> connections;
    for (int i = 0; i < Share; ++i) {
        connections.push_back(Connect());
        QVERIFY(connections.back());
    }
    QVERIFY(m_outer->WaitForCount(Share));
    for (int i = 0; i < 2; ++i) {
        const auto beyond = Connect();
        QVERIFY(beyond && beyond->WaitForClose());
    }
    QCOMPARE(Logged(QStringLiteral("достигнут предел соединений (32)")), 1);
    SteadyClock::Advance(PortAdmission::QuietMs);
    connections.pop_back();
    QTRY_COMPARE(Logged(QStringLiteral("соединения снова принимаются")), 1);
}

QTEST_GUILESS_MAIN(TestProxy)
#include "tst_proxy.moc"
