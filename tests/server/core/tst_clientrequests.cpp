#include "clock.h"
#include "core/clientprotocol.h"
#include "core/clientrequests.h"
#include "core/computerstates.h"
#include "core/mainlog.h"
#include "core/proxycontrol.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "mainlogtext.h"

#include <QFile>
#include <QTest>

// The computers view as the proxy's handlers see it: a permission and a traffic budget per computer.
class TrafficStates : public ComputerStates
{
public:
    QHash<qint32, bool> Allowed;
    QHash<qint32, qint64> Budget;
    QHash<qint32, qint64> Downloaded;
    QHash<qint32, qint64> Uploaded;

    qint32 UserState(qint32) override
    {
        return 0;
    }

    void SetUserState(qint32, qint32) override {}

    void ShortcutStarted(qint32, qint32) override {}

    bool IsInternetAllowed(qint32 ComputerNum) override
    {
        return Allowed.value(ComputerNum);
    }

    bool IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload) override
    {
        Downloaded[ComputerNum] += Download;
        Uploaded[ComputerNum] += Upload;
        return Downloaded[ComputerNum] + Uploaded[ComputerNum] <= Budget.value(ComputerNum);
    }
};

// The internet proxy as far as its set-up goes: a port that can be refused.
class RecordingProxy : public ProxyControl
{
public:
    QStringList Calls;
    qint32 RefusedPort = -1;
    qint32 LastPort = 0;
    bool Active = false;

    void SetLog(bool) override {}

    qint32 Port() const override
    {
        return LastPort;
    }

    void SetConnectTimeout(qint32 Seconds) override
    {
        Calls.append(QStringLiteral("timeout %1").arg(Seconds));
    }

    void SetOuterProxyIP(const QString &IP) override
    {
        Calls.append(QStringLiteral("outer ") + IP);
    }

    void SetOuterProxyPort(qint32 Port) override
    {
        Calls.append(QStringLiteral("outer port %1").arg(Port));
    }

    bool Start(qint32 Port, QString &ErrString) override
    {
        Calls.append(QStringLiteral("start %1").arg(Port));
        LastPort = Port;
        if (Port == RefusedPort) {
            ErrString = QStringLiteral("порт занят");
            return false;
        }
        Active = true;
        return true;
    }

    void Shutdown() override
    {
        Calls.append(QStringLiteral("shutdown"));
        Active = false;
    }

    bool IsActive() const override
    {
        return Active;
    }

    void SetClubAddresses(const QSet<QString> &) override {}
};

class TestClientRequests : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requestFromAnUnknownAddress();
    void refusedComputerStillCountedAndRecorded();
    void recordsOfATurnSavedTogether();
    void trafficLimit();
    void responseChunks();
    void proxyFollowsTheSettings();
    void proxyThatCannotStart();

private:
    qint32 TrafficCount() const;

    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<TrafficStates> m_states;
    std::unique_ptr<ClientProtocol> m_protocol;
    std::unique_ptr<ClientRequests> m_requests;
    qint32 m_computer = 0;
};

void TestClientRequests::init()
{
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 0, 0));
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    m_computer = m_db->Add(QStringLiteral("Computers"),
                           {{QStringLiteral("Num"), 4}, {QStringLiteral("IP"), QStringLiteral("192.168.0.4")}});
    GetComputerCode(0, true);
    m_states = std::make_unique<TrafficStates>();
    m_protocol = std::make_unique<ClientProtocol>(nullptr, *m_states);
    m_requests = std::make_unique<ClientRequests>(*m_protocol, *m_states);
}

void TestClientRequests::cleanup()
{
    m_requests.reset();
    m_protocol.reset();
    MessageBox::TakeRecords();
    m_db.reset();
    Clock::SetNow(QDateTime());
}

qint32 TestClientRequests::TrafficCount() const
{
    return m_db->All(QStringLiteral("Traffic"))->Count();
}

void TestClientRequests::requestFromAnUnknownAddress()
{
    bool cancel = false;
    m_requests->RequestedURL(QStringLiteral("10.0.0.9"), QStringLiteral("http://example.org/"), 300, cancel);
    QVERIFY(cancel);
    QCOMPARE(TrafficCount(), 0);
    QVERIFY(
        MainLogText().contains(QStringLiteral("! Попытка доступа в интернет с неизвестного компьютера: 10.0.0.9 !")));
    QVERIFY(MessageBox::TakeRecords().isEmpty());
}

void TestClientRequests::refusedComputerStillCountedAndRecorded()
{
    m_states->Budget[4] = 100000;
    bool cancel = false;
    m_requests->RequestedURL(QStringLiteral("192.168.0.4"), QStringLiteral("http://example.org/a"), 300, cancel);
    QVERIFY(cancel);
    QVERIFY(MainLogText().contains(
        QStringLiteral("! Попытка доступа в интернет с компьютера №4, которому в настоящий момент доступ закрыт!")));
    QCOMPARE(m_states->Uploaded.value(4), 300);
    QCOMPARE(m_states->Downloaded.value(4), 0);
    QTRY_COMPARE(TrafficCount(), 1);
    const auto traffic = m_db->All(QStringLiteral("Traffic"));
    const auto record = traffic->GetByIndex(1);
    QCOMPARE(TextValue(*record, QStringLiteral("URL")), QStringLiteral("http://example.org/a"));
    QCOMPARE(IntValue(*record, QStringLiteral("Computer")), m_computer);
    QCOMPARE(DateValueOf(*record, QStringLiteral("AccessTime")), Clock::Now());
}

// The records of a turn are written together as it ends; one the database refuses (its computer
// deleted meanwhile) takes no other with it.
void TestClientRequests::recordsOfATurnSavedTogether()
{
    m_states->Budget[4] = 100000;
    m_states->Budget[5] = 100000;
    const qint32 other = m_db->Add(QStringLiteral("Computers"),
                                   {{QStringLiteral("Num"), 5}, {QStringLiteral("IP"), QStringLiteral("192.168.0.5")}});
    bool cancel = false;
    for (int i = 0; i < 3; ++i) {
        m_requests->RequestedURL(QStringLiteral("192.168.0.4"),
                                 QStringLiteral("http://example.org/%1").arg(i),
                                 300,
                                 cancel);
    }
    m_requests->RequestedURL(QStringLiteral("192.168.0.5"), QStringLiteral("http://example.org/gone"), 300, cancel);
    QString err;
    QVERIFY2(m_db->Table(QStringLiteral("Computers"))->Remove(other, true, err), qPrintable(err));
    QTRY_COMPARE(TrafficCount(), 3);
    QVERIFY(MainLogText().contains(QStringLiteral("! При логировании трафика компьютера №5 произошла ошибка: ")));
}

void TestClientRequests::trafficLimit()
{
    m_states->Allowed[4] = true;
    m_states->Budget[4] = 1000;
    bool cancel = false;
    m_requests->RequestedURL(QStringLiteral("192.168.0.4"), QString(), 600, cancel);
    QVERIFY(!cancel);
    m_requests->RequestedURL(QStringLiteral("192.168.0.4"), QString(), 600, cancel);
    QVERIFY(cancel);
    QCOMPARE(TrafficCount(), 0);
}

void TestClientRequests::responseChunks()
{
    m_states->Budget[4] = 1000;
    bool cancel = false;
    m_requests->ReceivedData(QStringLiteral("192.168.0.4"), 800, cancel);
    QVERIFY(!cancel);
    QCOMPARE(m_states->Downloaded.value(4), 800);
    m_requests->ReceivedData(QStringLiteral("192.168.0.4"), 800, cancel);
    QVERIFY(cancel);
    bool unknown = false;
    m_requests->ReceivedData(QStringLiteral("10.0.0.9"), 800, unknown);
    QVERIFY(!unknown);
}

void TestClientRequests::proxyFollowsTheSettings()
{
    RecordingProxy proxy;
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("10.1.1.1"));
    SetConfigValue(QStringLiteral("OuterProxyPort"), QStringLiteral("3128"));
    m_requests->InitProxy(proxy);
    QCOMPARE(proxy.Calls,
             (QStringList{QStringLiteral("timeout 5"),
                          QStringLiteral("outer 10.1.1.1"),
                          QStringLiteral("outer port 3128")}));
    proxy.Calls.clear();
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("1"));
    m_requests->InitProxy(proxy);
    QCOMPARE(proxy.Calls.mid(3), QStringList{QStringLiteral("start 6666")});
    proxy.Calls.clear();
    m_requests->InitProxy(proxy);
    QCOMPARE(proxy.Calls.size(), 3);
    proxy.Calls.clear();
    SetConfigValue(QStringLiteral("ProxyPort"), QStringLiteral("7777"));
    m_requests->InitProxy(proxy);
    QCOMPARE(proxy.Calls.mid(3), (QStringList{QStringLiteral("shutdown"), QStringLiteral("start 7777")}));
    proxy.Calls.clear();
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("0"));
    m_requests->InitProxy(proxy);
    QCOMPARE(proxy.Calls.mid(3), QStringList{QStringLiteral("shutdown")});
}

void TestClientRequests::proxyThatCannotStart()
{
    RecordingProxy proxy;
    proxy.RefusedPort = 6666;
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("1"));
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    m_requests->InitProxy(proxy);
    QVERIFY(!proxy.IsActive());
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Text, QStringLiteral("Ошибка инициализации прокси: порт занят"));
}

QTEST_MAIN(TestClientRequests)
#include "tst_clientrequests.moc"
