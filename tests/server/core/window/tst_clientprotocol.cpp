#include "clientsim.h"
#include "clock.h"
#include "core/backgrounderror.h"
#include "core/clientprotocol.h"
#include "core/clientrequests.h"
#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "mainlogtext.h"
#include "seances/computercontrol.h"
#include "seances/computersframe.h"
#include "seances/frmstartnightseance.h"
#include "testnetwork.h"
#include "textdates.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{
const QString ServerIP = QStringLiteral("127.0.0.1");

QString ClientIP(int Offset)
{
    return TestNetwork::ClientIP(2 + Offset);
}

QList<quint8> Headers(const QList<ClientSim::Received> &Messages)
{
    QList<quint8> headers;
    for (const auto &message : Messages) {
        headers.append(message.Header);
    }
    return headers;
}

qsizetype CountHeader(const ClientSim &Client, quint8 Header)
{
    return Headers(Client.ReceivedMessages()).count(Header);
}
} // namespace

// The server's main window on 127.0.0.1 and two simulated client computers on 127.0.0.N, over
// real sockets and a real database.
class TestClientProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void stateReportFromAnOfflineComputer();
    void seanceReachesAnIdleClient();
    void nightSeanceSoldReachesAnIdleClient();
    void settingsFirstThenTheSeanceAgain();
    void clientThatAlwaysAsksForSettings();
    void stateQueryThatAlwaysAsksForSettings();
    void noAnswerMarksOffline();
    void pollingFollowsTheIntervals();
    void desktopPassword();
    void unknownHeaderEchoed();
    void settingsSendKeepsEditsMadeMeanwhile();
    void nothingSentAfterTheCloseRequest();
    void backgroundFailuresShareOneBox();

private:
    qint32 AddComputer(qint32 Num, const QString &IP);
    qint32 AddDesktopWithShortcuts(const QString &Name, qint32 Parent, int Shortcuts);
    void StartClient(ClientSim &Client, const QString &IP, ClientSim::Mode Mode = ClientSim::Mode::Control);
    void StaleSettings();
    QDateTime LastSettingsUpdate(qint32 Code) const;
    MainFrame *Computers() const;

    QTemporaryDir m_config;
    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<MainForm> m_window;
    qint32 m_first = 0;
    qint32 m_second = 0;
};

void TestClientProtocol::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void TestClientProtocol::init()
{
    Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 0, 0));
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    m_first = AddComputer(1, ClientIP(0));
    m_second = AddComputer(2, ClientIP(1));
    GetComputerCode(0, true);
    m_window = std::make_unique<MainForm>();
    m_window->Control()->SetAnswerTimeout(1);
    QVERIFY(m_window->Load(TestNetwork::FreeServerPort(), QHostAddress(ServerIP)));
    m_window->show();
    // The tiles asked the clients for their state once the window was shown; nobody listened yet.
    QTRY_COMPARE(Computers()->UserState(1), -3);
}

void TestClientProtocol::cleanup()
{
    if (!m_window->IsUnloaded()) {
        m_window->ForceUnload();
    }
    m_window.reset();
    MessageBox::TakeRecords();
    m_db.reset();
    Clock::SetNow(QDateTime());
}

qint32 TestClientProtocol::AddComputer(qint32 Num, const QString &IP)
{
    return m_db->Add(QStringLiteral("Computers"), {{QStringLiteral("Num"), Num}, {QStringLiteral("IP"), IP}});
}

qint32 TestClientProtocol::AddDesktopWithShortcuts(const QString &Name, qint32 Parent, int Shortcuts)
{
    const qint32 desktop = m_db->Add(QStringLiteral("Desktops"), {qMakePair(QStringLiteral("Name"), QVariant(Name))});
    if (Parent > 0) {
        const auto record = m_db->Record(QStringLiteral("Desktops"), desktop);
        SetFieldValue(*record, QStringLiteral("Parent"), Parent);
        QString err;
        [&] {
            QVERIFY2(record->Update(err), qPrintable(err));
        }();
    }
    for (int i = 1; i <= Shortcuts; ++i) {
        m_db->Add(QStringLiteral("Shortcuts"),
                  {{QStringLiteral("Desktop"), desktop},
                   {QStringLiteral("Caption"), QString(Name + QString::number(i))},
                   {QStringLiteral("Path"), QStringLiteral("C:\\game.exe")}});
    }
    return desktop;
}

void TestClientProtocol::StartClient(ClientSim &Client, const QString &IP, ClientSim::Mode Mode)
{
    QString err;
    QVERIFY2(Client.Start(QHostAddress(IP), quint16(m_window->Control()->GetListenerPort()), Mode, err),
             qPrintable(err));
}

void TestClientProtocol::StaleSettings()
{
    SetConfigValue(QStringLiteral("LastClientSettingsUpdate"), QStringLiteral("01/03/2026 10:00:00"));
    SetConfigValue(QStringLiteral("AdminPassword"), QStringLiteral("0123456789abcdef0123456789abcdef"));
    SetConfigValue(QStringLiteral("ExecutibleFile"), QStringLiteral("C:\\admin|tool.exe"));
    m_db->Add(QStringLiteral("AutorunList"),
              {qMakePair(QStringLiteral("ProgramName"), QVariant(QStringLiteral("a.exe")))});
}

QDateTime TestClientProtocol::LastSettingsUpdate(qint32 Code) const
{
    return DateValueOf(*m_db->Record(QStringLiteral("Computers"), Code), QStringLiteral("LastSettingsUpdate"));
}

MainFrame *TestClientProtocol::Computers() const
{
    return m_window->Computers();
}

void TestClientProtocol::stateReportFromAnOfflineComputer()
{
    ClientSim client;
    StartClient(client, ClientIP(0));
    StaleSettings();
    QString err;
    const Pelloxan::MessagePackPtr answer = client.SendRequest(ServerIP, 30, QStringLiteral(" 0"), err);
    QVERIFY2(answer, qPrintable(err));
    QCOMPARE(answer->Message(), QStringLiteral(" 0"));
    QCOMPARE(Headers(client.ReceivedMessages()), QList<quint8>{3});
    QCOMPARE(client.ReceivedMessages().first().Message,
             QStringLiteral("0123456789abcdef0123456789abcdef|C:\\admintool.exe|| 1|a.exe|"));
    QCOMPARE(Computers()->UserState(1), 0);
    QCOMPARE(LastSettingsUpdate(m_first), Clock::Now());
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(m_window->Protocol()->DialogsInProgress(), 0);
}

void TestClientProtocol::seanceReachesAnIdleClient()
{
    const qint32 parent = AddDesktopWithShortcuts(QStringLiteral("Общий"), 0, 3);
    const qint32 child = AddDesktopWithShortcuts(QStringLiteral("Игры"), parent, 2);
    const qint32 rate = m_db->Add(QStringLiteral("Rates"), {{QStringLiteral("Name"), QStringLiteral("День")}});
    const qint32 seance = m_db->Add(QStringLiteral("Seances"),
                                    {{QStringLiteral("Computer"), m_first},
                                     {QStringLiteral("Desktop"), child},
                                     {QStringLiteral("Rate"), rate},
                                     {QStringLiteral("BeginDate"), Clock::Now().addSecs(-600)},
                                     {QStringLiteral("EndDate"), Clock::Now().addSecs(3600)},
                                     {QStringLiteral("Duration"), 70}});
    ClientSim client;
    StartClient(client, ClientIP(0));
    client.SetAnswer(4, ClientSim::Reply(QStringLiteral(" 0")));
    client.SetAnswer(1, ClientSim::Reply(QStringLiteral("-2")));
    QString err;
    // The idle report lets the tile see that its client lacks the seance.
    QVERIFY(client.SendRequest(ServerIP, 30, QStringLiteral(" 0"), err));
    QTRY_VERIFY(CountHeader(client, 1) >= 1);
    QCOMPARE(Computers()->UserState(1), seance);
    const auto sent = client.ReceivedMessages();
    const auto it = std::find_if(sent.begin(), sent.end(), [](const auto &m) { return m.Header == 1; });
    const QString prefix = QStringLiteral(" ") + QString::number(seance) + QStringLiteral("| 3600| 5|");
    QVERIFY2(it->Message.startsWith(prefix), qPrintable(it->Message));
    const QStringList fields = it->Message.split(QLatin1Char('|'));
    QCOMPARE(fields.at(4), QStringLiteral("Игры1"));
    QCOMPARE(fields.at(11), QStringLiteral("Игры2"));
    QCOMPARE(fields.at(18), QStringLiteral("Общий1"));
}

void TestClientProtocol::nightSeanceSoldReachesAnIdleClient()
{
    AddDesktopWithShortcuts(QStringLiteral("Ночь"), 0, 1);
    m_db->AddRate(QStringLiteral("Ночной"), 1, 150);
    ClientSim client;
    StartClient(client, ClientIP(0));
    client.SetAnswer(4, ClientSim::Reply(QStringLiteral(" 0")));
    client.SetAnswer(1, ClientSim::Reply(QStringLiteral("-2")));
    Computers()->SetUserState(1, 0);
    Clock::SetNow(DateValue::Make(2026, 3, 5, 23, 30, 0));
    // The operator sells the night on the clicked computer, pre-selected, as the dialog offers it.
    QTimer::singleShot(0, m_window.get(), [] {
        auto *dialog = qobject_cast<frmStartNightSeance *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QPushButton *>(QStringLiteral("Apply"))->click();
    });
    ComputerControl *tile = Computers()->Panel()->Control(1);
    tile->Menu()->findChild<QAction *>(QStringLiteral("mnuComputerStartReserveSeance"))->trigger();
    QString err;
    const auto seance = GetSeanceAt(1, Clock::Now(), err);
    QVERIFY2(seance, qPrintable(err));
    QTRY_COMPARE(CountHeader(client, 1), 1);
    // Its code and the seconds to 08:00.
    const QString prefix = QStringLiteral(" ") + QString::number(seance->Code()) + QStringLiteral("| 30600|");
    const QString message = client.ReceivedMessages().last().Message;
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    QCOMPARE(Computers()->UserState(1), seance->Code());
}

void TestClientProtocol::settingsFirstThenTheSeanceAgain()
{
    ClientSim client;
    StartClient(client, ClientIP(0));
    Computers()->SetUserState(1, 0);
    client.SetAnswerOnce(1, ClientSim::Reply(QStringLiteral("-1")));
    client.SetAnswer(1, ClientSim::Reply(QStringLiteral("-2")));
    QString err;
    QVERIFY2(m_window->Protocol()->SendSeance(ClientIP(0), QStringLiteral(" 7| 60|"), err), qPrintable(err));
    QCOMPARE(Headers(client.ReceivedMessages()), (QList<quint8>{1, 3, 1}));
    QCOMPARE(client.ReceivedMessages().at(0).Message, client.ReceivedMessages().at(2).Message);
    QCOMPARE(LastSettingsUpdate(m_first), Clock::Now());
}

void TestClientProtocol::clientThatAlwaysAsksForSettings()
{
    ClientSim client;
    StartClient(client, ClientIP(0));
    Computers()->SetUserState(1, 0);
    client.SetAnswer(1, ClientSim::Reply(QStringLiteral("-1")));
    client.SetAnswer(2, ClientSim::Reply(QStringLiteral("-1")));
    QString err;
    QVERIFY(!m_window->Protocol()->SendSeance(ClientIP(0), QStringLiteral(" 7| 60|"), err));
    QCOMPARE(err, QStringLiteral("Клиент '") + ClientIP(0) + QStringLiteral("' не смог принять сеанс!"));
    QCOMPARE(Headers(client.ReceivedMessages()), (QList<quint8>{1, 3, 1, 3, 1}));
    client.ClearReceived();
    QVERIFY(!m_window->Protocol()->SendShutdownCommand(ClientIP(0), true));
    QCOMPARE(Headers(client.ReceivedMessages()), (QList<quint8>{2, 3, 2, 3, 2}));
    QCOMPARE(client.ReceivedMessages().first().Message, QStringLiteral("1"));
}

void TestClientProtocol::stateQueryThatAlwaysAsksForSettings()
{
    ClientSim client;
    StartClient(client, ClientIP(0));
    client.SetAnswer(4, ClientSim::Reply(QStringLiteral("-1")));
    QCOMPARE(m_window->Protocol()->GetClientState(ClientIP(0)), -3);
    QCOMPARE(Headers(client.ReceivedMessages()), (QList<quint8>{4, 3, 4, 3, 4}));
}

void TestClientProtocol::noAnswerMarksOffline()
{
    ClientSim client;
    StartClient(client, ClientIP(0));
    Computers()->SetUserState(1, 0);
    client.SetAnswer(2, ClientSim::Silence());
    QVERIFY(!m_window->Protocol()->SendShutdownCommand(ClientIP(0), false));
    QCOMPARE(Computers()->UserState(1), -3);
    QString err;
    QVERIFY(!m_window->Protocol()->SendSeance(ClientIP(0), QStringLiteral(" 7| 60|"), err));
    QCOMPARE(err, QString());
    QCOMPARE(CountHeader(client, 1), 0);
    QVERIFY(!m_window->Protocol()->SendSeance(QStringLiteral("127.0.1.9"), QStringLiteral(" 7| 60|"), err));
    QCOMPARE(err, QStringLiteral("Компьютер с IP-адресом '127.0.1.9' не найден в базе!"));
}

void TestClientProtocol::pollingFollowsTheIntervals()
{
    ClientSim online;
    ClientSim offline;
    StartClient(online, ClientIP(0));
    StartClient(offline, ClientIP(1));
    online.SetAnswer(4, ClientSim::Reply(QStringLiteral(" 0")));
    offline.SetAnswer(4, ClientSim::Silence());
    Computers()->SetUserState(1, 0);
    SetConfigValue(QStringLiteral("OnLineStatusCheckInterval"), QStringLiteral("3"));
    SetConfigValue(QStringLiteral("OffLineStatusCheckInterval"), QStringLiteral("5"));
    QList<int> onlineTicks;
    QList<int> offlineTicks;
    for (int tick = 1; tick <= 10; ++tick) {
        const auto onlineBefore = CountHeader(online, 4);
        const auto offlineBefore = CountHeader(offline, 4);
        m_window->Requests()->StatusCheckTick();
        if (CountHeader(online, 4) > onlineBefore) {
            onlineTicks.append(tick);
        }
        if (CountHeader(offline, 4) > offlineBefore) {
            offlineTicks.append(tick);
        }
    }
    QCOMPARE(onlineTicks, (QList<int>{3, 6, 9}));
    QCOMPARE(offlineTicks, (QList<int>{5, 10}));
    QCOMPARE(Computers()->UserState(2), -3);
}

void TestClientProtocol::desktopPassword()
{
    const QString digest = QStringLiteral("fedcba9876543210fedcba9876543210");
    const qint32 locked = AddDesktopWithShortcuts(QStringLiteral("Закрытый"), 0, 1);
    const auto record = m_db->Record(QStringLiteral("Desktops"), locked);
    SetFieldValue(*record, QStringLiteral("Password"), digest);
    QString err;
    QVERIFY2(record->Update(err), qPrintable(err));
    ClientSim client;
    StartClient(client, ClientIP(0));
    client.SetAnswer(4, ClientSim::Reply(QStringLiteral(" 0")));
    const Pelloxan::MessagePackPtr answer = client.SendRequest(ServerIP, 32, digest, err);
    QVERIFY2(answer, qPrintable(err));
    QVERIFY2(answer->Message().startsWith(QStringLiteral(" 1|")), qPrintable(answer->Message()));
    QVERIFY(answer->Message().contains(QStringLiteral("|Закрытый1|")));
    // The computer was off line: the server asked its state before answering.
    QCOMPARE(Headers(client.ReceivedMessages()), QList<quint8>{4});
    QCOMPARE(Computers()->UserState(1), 0);
    const Pelloxan::MessagePackPtr wrong = client.SendRequest(ServerIP, 32, QStringLiteral("   "), err);
    QVERIFY(wrong);
    QCOMPARE(wrong->Message(), QString());
}

void TestClientProtocol::unknownHeaderEchoed()
{
    ClientSim client;
    StartClient(client, ClientIP(0));
    QString err;
    const Pelloxan::MessagePackPtr answer = client.SendRequest(ServerIP, 77, QStringLiteral("abc|def"), err);
    QVERIFY2(answer, qPrintable(err));
    QCOMPARE(answer->Header(), quint8(77));
    QCOMPARE(answer->Message(), QStringLiteral("abc|def"));
    QVERIFY(client.ReceivedMessages().isEmpty());
}

void TestClientProtocol::settingsSendKeepsEditsMadeMeanwhile()
{
    ClientSim client;
    StartClient(client, ClientIP(0), ClientSim::Mode::Raw);
    Computers()->SetUserState(1, 0);
    client.SetAnswer(3, ClientSim::Late(QStringLiteral("ok"), 300));
    QTimer::singleShot(100, this, [this] {
        const auto record = m_db->Record(QStringLiteral("Computers"), m_first);
        SetFieldValue(*record, QStringLiteral("Name"), QStringLiteral("Касса"));
        QString err;
        QVERIFY2(record->Update(err), qPrintable(err));
    });
    QString err;
    QVERIFY2(m_window->Protocol()->SendClientSettings(ClientIP(0), err), qPrintable(err));
    const auto record = m_db->Record(QStringLiteral("Computers"), m_first);
    QCOMPARE(TextValue(*record, QStringLiteral("Name")), QStringLiteral("Касса"));
    QCOMPARE(DateValueOf(*record, QStringLiteral("LastSettingsUpdate")), Clock::Now());
}

void TestClientProtocol::nothingSentAfterTheCloseRequest()
{
    ClientSim first;
    ClientSim second;
    StartClient(first, ClientIP(0));
    StartClient(second, ClientIP(1));
    first.SetAnswer(4, ClientSim::Silence());
    StaleSettings();
    bool closed = true;
    QString secondError;
    QTimer::singleShot(200, this, [&] {
        closed = m_window->close();
        m_window->Requests()->StatusCheckTick();
        Computers()->Panel()->RefreshAll();
        second.SendRequest(ServerIP, 30, QStringLiteral(" 0"), secondError);
    });
    m_window->Protocol()->GetClientState(ClientIP(0));
    QVERIFY(!closed);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->IsUnloaded(), 1000);
    QCOMPARE(Headers(first.ReceivedMessages()), QList<quint8>{4});
    QVERIFY(second.ReceivedMessages().isEmpty());
}

void TestClientProtocol::backgroundFailuresShareOneBox()
{
    ClientSim first;
    ClientSim second;
    StartClient(first, ClientIP(0));
    StartClient(second, ClientIP(1));
    for (ClientSim *client : {&first, &second}) {
        client->SetAnswer(4, ClientSim::Reply(QStringLiteral(" 0")));
        client->SetAnswer(3, ClientSim::Silence());
    }
    StaleSettings();
    SetConfigValue(QStringLiteral("OffLineStatusCheckInterval"), QStringLiteral("1"));
    // Both clients fail during one poll; the box waits for the poll's dialogs to end.
    m_window->Requests()->StatusCheckTick();
    QVERIFY(BackgroundErrorShown());
    QVERIFY(MessageBox::TakeRecords().isEmpty());
    QTimer::singleShot(300, this, [] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(!BackgroundErrorShown(), 3000);
    QCOMPARE(MessageBox::TakeRecords().size(), 1);
    QCOMPARE(MainLogText().count(QStringLiteral("! Не получен ответ на запрос")), 2);
}

QTEST_MAIN(TestClientProtocol)
#include "tst_clientprotocol.moc"
