#include "clock.h"
#include "core/clientprotocol.h"
#include "core/databaselink.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "core/widgets/messagebox.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "mainlogtext.h"
#include "seances/computercontrol.h"
#include "seances/computersframe.h"
#include "socketctl.h"
#include "testnetwork.h"
#include "testview.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// A client computer that accepts the server's connection and never answers.
QString SilentIP(int Offset)
{
    return TestNetwork::ClientIP(2 + Offset);
}

class SilentClient
{
public:
    bool Listen(const QString &Address, quint16 Port)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_sockets.append(socket);
            }
        });
        return m_server.listen(QHostAddress(Address), Port);
    }

private:
    QTcpServer m_server;
    QList<QTcpSocket *> m_sockets;
};

// What the window looked like when a close was asked for in the middle of a dialog.
struct CloseDuringDialog
{
    int Dialogs = 0;
    bool Closed = true;
    bool Closing = false;
    bool TimerActive = false;
};

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstViewAndWindow();
    void functionKeysSwitchViews();
    void databaseAwayKeepsTheView();
    void refusedChangeKeepsTheTab();
    void applyButtonAndF10();
    void refusedCloseKeepsRunning();
    void closeWaitsForTheRunningDialog();
    void refusalDuringTheRetryResumesNormalRunning();
    void trafficIsSavedAtTheEnd_data();
    void trafficIsSavedAtTheEnd();
    void addedComputerIsShownFree();
    void screenshot();

private:
    bool LoadWindow();
    CloseDuringDialog CloseInsideDialog(const QString &IP);

    std::unique_ptr<CoreDatabase> m_db;
    std::unique_ptr<MainForm> m_window;
    TestView *m_desktops = nullptr;
    QTemporaryDir m_config;
};

void TestMainForm::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void TestMainForm::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
    QVERIFY(InitMainLog());
    m_window = std::make_unique<MainForm>();
    m_desktops = new TestView;
    m_window->AddModeView(QStringLiteral("DesktopFrame"),
                          QStringLiteral("F3: Рабочие столы"),
                          QStringLiteral("Рабочие столы"),
                          MainForm::ToolBarImage(QStringLiteral("Desktops")),
                          Qt::Key_F3,
                          m_desktops);
    QVERIFY(LoadWindow());
}

void TestMainForm::cleanup()
{
    if (m_window && !m_window->IsUnloaded()) {
        m_window->ForceUnload();
    }
    m_window.reset();
    MessageBox::TakeRecords();
    m_db.reset();
}

bool TestMainForm::LoadWindow()
{
    m_window->Control()->SetAnswerTimeout(1);
    if (!m_window->Load(TestNetwork::FreeServerPort(), QHostAddress(QStringLiteral("127.0.0.1")))) {
        return false;
    }
    m_window->show();
    return QTest::qWaitForWindowExposed(m_window.get());
}

void TestMainForm::firstViewAndWindow()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Quillmarsh"));
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("MainFrame"));
    const auto *tabs = m_window->findChild<QTabBar *>(QStringLiteral("MainTab"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("F2: Главный "));
    QCOMPARE(tabs->tabToolTip(0), QStringLiteral("Основной режим"));
    QCOMPARE(m_window->statusBar()->findChildren<QLabel *>().first()->text(), QStringLiteral("Основной режим"));
    QVERIFY(m_window->findChild<QWidget *>(QStringLiteral("MainFrame"))->isVisible());
    QVERIFY(!m_desktops->isVisible());
    QCOMPARE(m_window->minimumSize(), QSize(600, 322));
    QVERIFY(!m_window->findChild<QPushButton *>(QStringLiteral("ApplyButton"))->isEnabled());
    QVERIFY(m_window->StatusCheckInterval()->isActive());
    // The status bar says that the database is away until it is back, with the driver's text as its tip.
    auto *database = m_window->findChild<QLabel *>(QStringLiteral("DatabaseState"));
    QVERIFY(!database->isVisible());
    emit DatabaseLink::Instance().Changed(true, QStringLiteral("server closed the connection"));
    QVERIFY(database->isVisible());
    QCOMPARE(database->text(), QStringLiteral("Нет соединения с базой данных"));
    QCOMPARE(database->toolTip(), QStringLiteral("server closed the connection"));
    emit DatabaseLink::Instance().Changed(false, QString());
    QVERIFY(!database->isVisible());
    QCOMPARE(m_window->StatusCheckInterval()->interval(), 60000);
    QVERIFY(!m_window->ShutdownTimer()->isActive());
}

void TestMainForm::functionKeysSwitchViews()
{
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("DesktopFrame"));
    QCOMPARE(m_desktops->Loads, 1);
    QVERIFY(m_desktops->isVisible());
    QVERIFY(!m_window->findChild<QWidget *>(QStringLiteral("MainFrame"))->isVisible());
    QCOMPARE(m_window->statusBar()->findChildren<QLabel *>().first()->text(), QStringLiteral("Рабочие столы"));
    QTest::keyClick(m_window.get(), Qt::Key_F2);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("MainFrame"));
    QVERIFY(m_window->ShowModeFrame(QStringLiteral("DesktopFrame")));
    QCOMPARE(m_desktops->Loads, 2);
    QVERIFY(!m_window->ShowModeFrame(QStringLiteral("StatisticFrame")));
}

// While the database server is stopped, a view is neither left nor saved, nor another one loaded:
// one box each says why. Once it is back, the change is saved and the tab changes.
void TestMainForm::databaseAwayKeepsTheView()
{
    if (!TestDatabase::IsOdbc()) {
        QSKIP("an embedded database file is never away");
    }
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    m_desktops->HasChanges = true;
    TestDatabase::ServerRestart restart;
    QString err;
    QVERIFY2(TestDatabase::StopServer(QStringLiteral("fast"), err), qPrintable(err));
    restart.Stopped = true;
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QVERIFY(!m_window->ApplyChanges());
    QTest::keyClick(m_window.get(), Qt::Key_F2);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("DesktopFrame"));
    QCOMPARE(m_desktops->Saves, 0);
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 2);
    for (const auto &box : boxes) {
        QVERIFY2(box.Text.startsWith(DatabaseLink::AwayText(QString())), qPrintable(box.Text));
    }
    QVERIFY2(TestDatabase::StartServer(err), qPrintable(err));
    restart.Stopped = false;
    QTest::keyClick(m_window.get(), Qt::Key_F2);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("MainFrame"));
    QCOMPARE(m_desktops->Saves, 1);
    QCOMPARE(MessageBox::TakeRecords().size(), 0);
}

void TestMainForm::refusedChangeKeepsTheTab()
{
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    m_desktops->HasChanges = true;
    m_desktops->Valid = false;
    QTest::keyClick(m_window.get(), Qt::Key_F2);
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("DesktopFrame"));
    auto *tabs = m_window->findChild<QTabBar *>(QStringLiteral("MainTab"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(m_desktops->Saves, 2);
    m_desktops->Valid = true;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(m_window->CurrentKey(), QStringLiteral("MainFrame"));
    QCOMPARE(m_desktops->Saves, 3);
}

void TestMainForm::applyButtonAndF10()
{
    auto *apply = m_window->findChild<QPushButton *>(QStringLiteral("ApplyButton"));
    QCOMPARE(apply->text(), QStringLiteral("Сохранить изменения (F10)"));
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    m_desktops->HasChanges = true;
    QTest::keyClick(m_window.get(), Qt::Key_F10);
    QCOMPARE(m_desktops->Saves, 0);
    m_window->ViewChanged();
    QVERIFY(apply->isEnabled());
    m_desktops->Valid = false;
    QTest::keyClick(m_window.get(), Qt::Key_F10);
    QCOMPARE(m_desktops->Saves, 1);
    QVERIFY(apply->isEnabled());
    m_desktops->Valid = true;
    QTest::keyClick(m_window.get(), Qt::Key_F10);
    QCOMPARE(m_desktops->Saves, 2);
    QVERIFY(!apply->isEnabled());
}

void TestMainForm::refusedCloseKeepsRunning()
{
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    m_desktops->HasChanges = true;
    m_desktops->Valid = false;
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->IsUnloaded());
    QVERIFY(!m_window->Protocol()->IsClosing());
    m_desktops->Valid = true;
    QVERIFY(m_window->close());
    QVERIFY(m_window->IsUnloaded());
    QCOMPARE(MainLogEntries().last(), QStringLiteral("i Выход"));
}

CloseDuringDialog TestMainForm::CloseInsideDialog(const QString &IP)
{
    m_db->Add(QStringLiteral("Computers"), {{QStringLiteral("Num"), 1}, {QStringLiteral("IP"), IP}});
    CloseDuringDialog seen;
    // The dialog waits in a nested loop; the close arrives from a timer inside that wait.
    QTimer::singleShot(300, m_window.get(), [this, &seen] {
        seen.Dialogs = m_window->Protocol()->DialogsInProgress();
        seen.Closed = m_window->close();
        seen.Closing = m_window->Protocol()->IsClosing();
        seen.TimerActive = m_window->ShutdownTimer()->isActive();
    });
    m_window->Protocol()->GetClientState(IP);
    return seen;
}

void TestMainForm::closeWaitsForTheRunningDialog()
{
    SilentClient client;
    QVERIFY(client.Listen(SilentIP(0), m_window->Control()->GetListenerPort()));
    const CloseDuringDialog seen = CloseInsideDialog(SilentIP(0));
    QCOMPARE(seen.Dialogs, 1);
    QVERIFY(!seen.Closed);
    QVERIFY(seen.Closing);
    QVERIFY(seen.TimerActive);
    QVERIFY(!m_window->IsUnloaded());
    QTRY_VERIFY_WITH_TIMEOUT(m_window->IsUnloaded(), 1000);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_window->ShutdownTimer()->isActive());
    QCOMPARE(m_window->Control()->GetListenerPort(), 0);
    QCOMPARE(MainLogEntries().last(), QStringLiteral("i Выход"));
}

void TestMainForm::refusalDuringTheRetryResumesNormalRunning()
{
    SilentClient client;
    QVERIFY(client.Listen(SilentIP(1), m_window->Control()->GetListenerPort()));
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    QTimer::singleShot(500, m_window.get(), [this] {
        m_desktops->HasChanges = true;
        m_desktops->Valid = false;
    });
    const CloseDuringDialog seen = CloseInsideDialog(SilentIP(1));
    QVERIFY(!seen.Closed);
    QVERIFY(seen.Closing);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->ShutdownTimer()->isActive(), 1000);
    QVERIFY(!m_window->Protocol()->IsClosing());
    QVERIFY(!m_window->IsUnloaded());
    QVERIFY(m_window->isVisible());
    m_desktops->Valid = true;
    QVERIFY(m_window->close());
    QVERIFY(m_window->IsUnloaded());
}

void TestMainForm::trafficIsSavedAtTheEnd_data()
{
    QTest::addColumn<bool>("closed");
    QTest::newRow("window closed") << true;
    QTest::newRow("window destroyed without its close") << false;
}

// The tiles save their seance's traffic as they go; whatever they reach must still be there then.
void TestMainForm::trafficIsSavedAtTheEnd()
{
    QFETCH(bool, closed);
    const qint32 desktop =
        m_db->Add(QStringLiteral("Desktops"),
                  {{QStringLiteral("Name"), QStringLiteral("Интернет")}, {QStringLiteral("IsInternet"), 1}});
    // An address where no client listens: the tile's dialogs fail at once.
    const qint32 computer =
        m_db->Add(QStringLiteral("Computers"),
                  {{QStringLiteral("Num"), 1}, {QStringLiteral("IP"), QStringLiteral("127.0.1.7")}});
    const qint32 rate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    const QDateTime now = Clock::Now();
    const qint32 seance = m_db->AddSeance(computer, desktop, rate, now.addSecs(-600), now.addSecs(3000));
    GetComputerCode(0, true);
    m_window->Computers()->LoadSettings();
    // Counted, though refused: the client is off line.
    m_window->Computers()->IncreaseCurSeanceTraffic(1, 5000, 700);
    m_window->Computers()->IncreaseCurSeanceTraffic(1, 2000, 300);
    if (closed) {
        QVERIFY(m_window->close());
    }
    m_window.reset();
    const auto record = m_db->Record(QStringLiteral("Seances"), seance);
    QVERIFY(record);
    QCOMPARE(MoneyValue(*record, QStringLiteral("Downloaded")), Currency(7000));
    QCOMPARE(MoneyValue(*record, QStringLiteral("Uploaded")), Currency(1000));
}

// A computer added while the program runs is looked up afresh when its tile is made: it shows
// as the free, off-line computer it is, not as the tile's look before any refresh.
void TestMainForm::addedComputerIsShownFree()
{
    m_db->AddComputer(1);
    m_window->Computers()->LoadSettings();
    QVERIFY(m_window->Computers()->Panel()->Control(1));
    m_db->AddComputer(2);
    QVERIFY(m_window->ShowModeFrame(QStringLiteral("MainFrame")));
    const ComputerControl *added = m_window->Computers()->Panel()->Control(2);
    QVERIFY(added);
    QCOMPARE(added->Tile().ComputerCaption(), QStringLiteral("2"));
    QCOMPARE(added->Tile().ScreenColour(), QColor(0x00, 0x00, 0x00));
    QCOMPARE(added->Tile().NightColour(), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(m_window->Computers()->UserState(2), -3);
    QCOMPARE(MessageBox::TakeRecords().size(), 0);
}

void TestMainForm::screenshot()
{
    const QString path = qEnvironmentVariable("QM_SCREENSHOT");
    if (path.isEmpty()) {
        QSKIP("QM_SCREENSHOT names no file");
    }
    for (int num = 1; num <= 5; ++num) {
        m_db->Add(QStringLiteral("Computers"),
                  {{QStringLiteral("Num"), num},
                   {QStringLiteral("IP"), QStringLiteral("127.0.0.%1").arg(num + 10)},
                   {QStringLiteral("Name"), QStringLiteral("Зал %1").arg(num)}});
    }
    GetComputerCode(0, true);
    QVERIFY(m_window->ShowModeFrame(QStringLiteral("MainFrame")));
    m_window->resize(900, 560);
    QVERIFY(m_window->grab().save(path));
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
