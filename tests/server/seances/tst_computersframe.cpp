#include "clock.h"
#include "core/compbuttons.h"
#include "datafolder.h"
#include "datevalue.h"
#include "memoryseancedata.h"
#include "seances/computercommands.h"
#include "seances/computercontrol.h"
#include "seances/computersframe.h"
#include "seances/panellayout.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{
const QDateTime Now = DateValue::Make(2026, 3, 2, 23, 30, 0);
} // namespace

// Where a tile's own width begins on the panel; its caption may reach beyond it on both sides.
QPoint TilePos(const ComputerControl *Control)
{
    return Control->pos() + QPoint(Control->TileLeft(), 0);
}

class TestComputersFrame : public QObject
{
    Q_OBJECT

private:
    MemorySeanceData data;
    RecordingFeedback feedback;
    // Client states the fake main window answers with, by IP address.
    QHash<QString, qint32> clientStates;

    void Answer(ComputersFrame &frame)
    {
        connect(&frame, &ComputersFrame::QueryUserState, &frame, [this](QString &ip, qint32 &state) {
            state = clientStates.value(ip, -3);
        });
    }

    static QList<QPoint> Places(const ComputersFrame &frame)
    {
        QList<QPoint> places;
        for (ComputerControl *control : frame.Controls()) {
            places.append(control->pos());
        }
        return places;
    }

private slots:

    void init()
    {
        Clock::SetNow(Now);
        data = MemorySeanceData();
        feedback = RecordingFeedback();
        clientStates.clear();
        data.DesktopInternet.insert(1, true);
    }

    void oneTilePerComputer()
    {
        for (qint32 num : {1, 2, 4}) {
            data.AddComputer(num);
        }
        clientStates.insert(QStringLiteral("127.0.0.2"), 0);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.resize(400, 600);
        frame.LoadSettings();
        QCOMPARE(frame.Controls().size(), 3);
        QCOMPARE(frame.UserState(2), 0);
        QCOMPARE(frame.UserState(1), -3);
        QCOMPARE(frame.UserState(3), -1);
        QVERIFY(!frame.IsInternetAllowed(3));
        QVERIFY(!frame.IncreaseCurSeanceTraffic(3, 1, 1));

        data.Computers.removeAt(0);
        data.AddComputer(7);
        QVERIFY(frame.SyncComputerControls());
        QVERIFY(!frame.ComputerControlExists(1));
        QVERIFY(frame.ComputerControlExists(7));
        QVERIFY(!frame.SyncComputerControls());
    }

    void onlineButtons()
    {
        for (qint32 num : {2, 1, 3}) {
            data.AddComputer(num);
        }
        clientStates.insert(QStringLiteral("127.0.0.1"), 0);
        clientStates.insert(QStringLiteral("127.0.0.3"), 7);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.LoadSettings();
        data.AddComputer(4); // no tile yet
        const auto buttons = frame.GetOnlineButtons();
        QString got;
        for (const auto &button : *buttons) {
            got += QStringLiteral("%1%2 ")
                       .arg(button->ComputerNum())
                       .arg(button->Enabled() ? QStringLiteral("+") : QStringLiteral("-"));
            QVERIFY(!button->Selected());
        }
        QCOMPARE(got, QStringLiteral("2- 1+ 3+ 4- "));
    }

    void removedComputersCloseUp()
    {
        for (qint32 num : {1, 2, 3, 4, 5}) {
            data.AddComputer(num);
        }
        ComputersFrame frame(data, feedback);
        frame.resize(6000 / 15, 600);
        frame.LoadSettings();
        QCOMPARE(TilePos(frame.Control(3)), QPoint(qRound(3162 / 15.0), 0));
        data.Computers.removeAt(1);
        frame.LoadSettings();
        QCOMPARE(TilePos(frame.Control(3)), QPoint(qRound(1743 / 15.0), 0));
    }

    void tenTilesAcross6000Twips()
    {
        for (qint32 num = 1; num <= 10; ++num) {
            data.AddComputer(num);
        }
        ComputersFrame frame(data, feedback);
        frame.resize(400, 800); // 6000 twips
        frame.LoadSettings();
        const int lefts[] = {324, 1743, 3162, 4581};
        for (qint32 num = 1; num <= 10; ++num) {
            QCOMPARE(TilePos(frame.Control(num)),
                     QPoint(qRound(lefts[(num - 1) % 4] / 15.0), (num - 1) / 4 * 2250 / 15));
        }
    }

    void narrowPanelLeavesTilesInPlace()
    {
        data.AddComputer(1);
        data.AddComputer(2);
        ComputersFrame frame(data, feedback);
        frame.resize(400, 400);
        frame.LoadSettings();
        const QList<QPoint> before = Places(frame);
        frame.resize(40, 400);
        QCOMPARE(Places(frame), before);
    }

    // 24 computers on a panel of 640 × 480: the rows run over the width the scroll bar leaves, and
    // scrolling brings the last tile into view.
    void scrollAreaReachesTheLastTile()
    {
        constexpr int count = 24;
        for (qint32 num = 1; num <= count; ++num) {
            data.AddComputer(num);
        }
        data.Computers[count - 1].Name = QStringLiteral("Компьютер у окна");
        data.AddSeance(9, count, Now.addSecs(-600), Now.addSecs(100 * 3600 + 60));
        clientStates.insert(QStringLiteral("127.0.0.%1").arg(count), 9);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.resize(640, 480);
        frame.LoadSettings();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto *scroll = frame.findChild<QScrollArea *>(QStringLiteral("ComputersScroll"));
        QVERIFY(scroll);
        QTRY_VERIFY(scroll->verticalScrollBar()->maximum() > 0);
        const int visible = scroll->viewport()->width();
        QCOMPARE(visible, 640 - scroll->verticalScrollBar()->width());
        const QList<QPoint> places = PanelLayout::Arrange(visible * 15, count);
        QCOMPARE(TilePos(frame.Control(count)),
                 QPoint(qRound(places.constLast().x() / 15.0), qRound(places.constLast().y() / 15.0)));
        ComputerControl *last = frame.Control(count);
        scroll->ensureWidgetVisible(last, 0, 0);
        const QRect shown(last->mapTo(scroll->viewport(), QPoint(0, 0)), last->size());
        const QString out = qEnvironmentVariable("QM_RENDER_DIR");
        if (!out.isEmpty()) {
            QVERIFY(frame.grab().save(out + QStringLiteral("/computersframe-scrolled.png")));
        }
        QVERIFY2(
            scroll->viewport()->rect().contains(shown),
            qPrintable(
                QStringLiteral("%1,%2 %3x%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    }

    // Numbers are shown whole, in a smaller font when they must; a caption too long for its tile
    // keeps its start and loses its end.
    void labelsNeverCutDigits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<int>("panelWidth");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("100 hours left") << QString() << qint64(100 * 60 + 1) << 640 << QStringLiteral("RemainingTime")
                                        << QStringLiteral("100:01");
        QTest::newRow("1000 hours left") << QString() << qint64(1000 * 60 + 59) << 640
                                         << QStringLiteral("RemainingTime") << QStringLiteral("1000:59");
        QTest::newRow("short name") << QStringLiteral("Бар") << qint64(75) << 640 << QStringLiteral("ComputerIDLabel")
                                    << QStringLiteral("12: Бар");
        // The caption takes the room the panel leaves beside the tile.
        QTest::newRow("name wider than the tile")
            << QStringLiteral("Касса у входа") << qint64(75) << 640 << QStringLiteral("ComputerIDLabel")
            << QStringLiteral("12: Касса у входа");
        QTest::newRow("long name, narrow panel") << QStringLiteral("Компьютер у окна в дальнем углу") << qint64(75)
                                                 << 100 << QStringLiteral("ComputerIDLabel") << QStringLiteral("12: …");
    }

    void labelsNeverCutDigits()
    {
        QFETCH(QString, name);
        QFETCH(qint64, minutes);
        QFETCH(int, panelWidth);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        data.AddComputer(12);
        data.Computers[0].Name = name;
        data.AddSeance(9, 12, Now.addSecs(-600), Now.addSecs(minutes * 60));
        clientStates.insert(QStringLiteral("127.0.0.12"), 9);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.resize(panelWidth, 480);
        frame.LoadSettings();
        const QLabel *text = frame.Control(12)->findChild<QLabel *>(label);
        QVERIFY(text);
        if (shown.endsWith(QStringLiteral("…"))) {
            QVERIFY2(text->text().startsWith(shown.chopped(1)) && text->text().endsWith(QStringLiteral("…")),
                     qPrintable(text->text()));
            QVERIFY(text->text().size() > shown.size());
        } else {
            QCOMPARE(text->text(), shown);
        }
        QVERIFY2(QFontMetrics(text->font()).horizontalAdvance(text->text()) <= text->contentsRect().width(),
                 qPrintable(text->text()));
    }

    void largeAndRepeatedNumbers()
    {
        data.AddComputer(40000);
        data.AddComputer(5);
        data.AddComputer(40000);
        ComputersFrame frame(data, feedback);
        frame.resize(400, 400);
        frame.LoadSettings();
        QCOMPARE(frame.Controls().size(), 2);
        QVERIFY(frame.ComputerControlExists(40000));
        QCOMPARE(feedback.Logged.size(), 2); // once while syncing, once while arranging
        QVERIFY(feedback.Logged.first().contains(QStringLiteral("40000")));
        QCOMPARE(frame.Control(40000)->Tile().ComputerCaption(), QStringLiteral("40000"));
    }

    void refreshInterval_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("interval");
        QTest::newRow("20 seconds") << QStringLiteral("20") << 20000;
        QTest::newRow("fraction") << QStringLiteral("2.5") << 2500;
        QTest::newRow("zero") << QStringLiteral("0") << 20000;
        QTest::newRow("negative") << QStringLiteral("-4") << 20000;
        QTest::newRow("no number") << QStringLiteral("abc") << 20000;
    }

    void refreshInterval()
    {
        QFETCH(QString, setting);
        QFETCH(int, interval);
        data.Config.insert(QStringLiteral("SeancesRefreshInterval"), setting);
        ComputersFrame frame(data, feedback);
        QCOMPARE(frame.RefreshInterval(), 10000);
        frame.SetIntervals();
        QCOMPARE(frame.RefreshInterval(), interval);
    }

    void eventsPassThroughByReference()
    {
        data.AddComputer(3);
        data.AddSeance(9, 3, Now.addSecs(-600), Now.addSecs(3000));
        clientStates.insert(QStringLiteral("127.0.0.3"), 0);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        qint32 begunOn = 0;
        connect(&frame,
                &ComputersFrame::BeginSeance,
                &frame,
                [&](qint32 &num, SeanceData::Seance &seance, bool &withDesktop, bool &result) {
                    begunOn = num;
                    QCOMPARE(seance.Code, 9);
                    QVERIFY(withDesktop);
                    result = true;
                });
        frame.LoadSettings();
        QCOMPARE(begunOn, 3);
        QCOMPARE(frame.UserState(3), 9);
        QVERIFY(frame.IsInternetAllowed(3));
        QVERIFY(frame.IncreaseCurSeanceTraffic(3, 100, 10));

        QSignalSpy settings(&frame, &ComputersFrame::SendServerSettings);
        frame.Control(3)->Tile().RequestServerSettings();
        QCOMPARE(settings.count(), 1);

        QSignalSpy reboots(&frame, &ComputersFrame::Reboot);
        clientStates.insert(QStringLiteral("127.0.0.3"), 4);
        frame.SetUserState(3, 4); // a seance the server does not have
        QCOMPARE(reboots.count(), 1);
        frame.RefreshAll();
        QCOMPARE(reboots.count(), 2);
    }

    void seanceChangedReachesEveryTile()
    {
        data.AddComputer(1);
        data.AddComputer(2);
        ComputersFrame frame(data, feedback);
        frame.LoadSettings();
        frame.SeanceChanged(2);
        QCOMPARE(frame.Control(1)->Tile().Mark(), 2);
        QCOMPARE(frame.Control(2)->Tile().Mark(), 2);
    }

    void menuFollowsComputer()
    {
        data.AddComputer(1);
        data.NightTime = true;
        clientStates.insert(QStringLiteral("127.0.0.1"), 0);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.LoadSettings();
        ComputerControl *tile = frame.Control(1);
        // Only the requests here: the commands they run have a database suite of their own.
        QObject::disconnect(tile, nullptr, &frame.Commands(), nullptr);
        tile->PrepareMenu();
        QMenu *menu = tile->Menu();
        const auto entry = [menu](const char *name) {
            return menu->findChild<QAction *>(QLatin1String(name));
        };
        QCOMPARE(entry("mnuComputerName")->text(), QStringLiteral("Компьютер №1"));
        QVERIFY(entry("mnuComputerAddSeance")->isEnabled());
        QVERIFY(!entry("mnuComputerAlterSeance")->isEnabled());
        QVERIFY(entry("mnuComputerStartReserveSeance")->isEnabled());
        QVERIFY(entry("mnuComputerReboot")->isEnabled());
        QCOMPARE(menu->defaultAction(), entry("mnuComputerAddSeance"));

        QSignalSpy add(tile, &ComputerControl::QueryToAddSeance);
        QSignalSpy alter(tile, &ComputerControl::QueryToAlterSeance);
        entry("mnuComputerAlterSeance")->trigger(); // no seance: nothing
        entry("mnuComputerAddSeance")->trigger();
        QCOMPARE(add.count(), 0); // only after the menu has closed
        QTRY_COMPARE(add.count(), 1);
        QCOMPARE(alter.count(), 0);

        QSignalSpy reboot(tile, &ComputerControl::QueryToRebootShutdown);
        entry("mnuComputerShutdown")->trigger();
        QCOMPARE(reboot.count(), 1);

        data.AddSeance(9, 1, Now.addSecs(-60), Now.addSecs(600));
        data.Seances[9].IsNight = true;
        tile->PrepareMenu();
        QVERIFY(!entry("mnuComputerAlterSeance")->isEnabled());
        QVERIFY(entry("mnuComputerMoveSeance")->isEnabled());
        QCOMPARE(menu->defaultAction(), entry("mnuComputerAlterSeance"));
        qint32 moved = 0;
        connect(tile, &ComputerControl::QueryToMoveSeance, tile, [&](qint32 &code) { moved = code; });
        entry("mnuComputerMoveSeance")->trigger();
        QCOMPARE(moved, 9);
    }

    void rightClickOnALabelOpensTheMenu()
    {
        data.AddComputer(1);
        ComputersFrame frame(data, feedback);
        frame.LoadSettings();
        frame.show();
        ComputerControl *tile = frame.Control(1);
        QWidget *popup = nullptr;
        QTimer::singleShot(0, tile, [&] {
            popup = QApplication::activePopupWidget();
            if (popup) {
                popup->close();
            }
        });
        QTest::mouseClick(tile->findChild<QLabel *>(QStringLiteral("RemainingTime")), Qt::RightButton);
        QCOMPARE(popup, tile->Menu());
    }

    void movedSeanceKeepsItsTrafficOnThePanel()
    {
        data.AddComputer(1);
        data.AddComputer(2);
        data.AddSeance(9, 1, Now.addSecs(-600), Now.addSecs(3000));
        clientStates.insert(QStringLiteral("127.0.0.1"), 9);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.LoadSettings();
        QVERIFY(frame.IncreaseCurSeanceTraffic(1, 700, 70));
        data.SeanceComputer[9] = 2; // moved; the target refreshes first
        frame.Control(2)->Tile().RefreshData();
        QCOMPARE(frame.Control(2)->Tile().Traffic().Downloaded(), Currency(700));
        QVERIFY(!frame.IncreaseCurSeanceTraffic(1, 1, 1));
        frame.RefreshAll();
        QCOMPARE(data.Seances[9].Downloaded, Currency(700));
    }

    void doubleClickAfterSeanceEndedAsksToAdd()
    {
        data.AddComputer(1);
        data.AddSeance(9, 1, Now.addSecs(-3600), Now.addSecs(-1));
        ComputersFrame frame(data, feedback);
        frame.LoadSettings();
        ComputerControl *tile = frame.Control(1);
        QObject::disconnect(tile, nullptr, &frame.Commands(), nullptr);
        QSignalSpy add(tile, &ComputerControl::QueryToAddSeance);
        QSignalSpy alter(tile, &ComputerControl::QueryToAlterSeance);
        QTest::mouseDClick(tile, Qt::LeftButton);
        QTRY_COMPARE(add.count(), 1);
        QCOMPARE(alter.count(), 0);
    }

    void tileShowsItsState()
    {
        data.AddComputer(1);
        data.Computers[0].Name = QStringLiteral("Касса");
        data.AddSeance(9, 1, Now.addSecs(-600), Now.addSecs(75 * 60));
        data.Config.insert(QStringLiteral("HourDownloadLimit"), QStringLiteral("1"));
        clientStates.insert(QStringLiteral("127.0.0.1"), 9);
        ComputersFrame frame(data, feedback);
        Answer(frame);
        frame.LoadSettings();
        ComputerControl *tile = frame.Control(1);
        const auto label = [tile](const char *name) {
            return tile->findChild<QLabel *>(QLatin1String(name));
        };
        QCOMPARE(label("ComputerIDLabel")->text(), QStringLiteral("1: Касса"));
        QCOMPARE(label("RemainingTime")->text(), QStringLiteral("01:15"));
        QVERIFY(!label("DownloadLabel")->isHidden());
        QCOMPARE(label("DownloadLabel")->text(), QStringLiteral("0,00Mb"));
        QVERIFY(!frame.IncreaseCurSeanceTraffic(1, 2'000'000, 0));
        QCOMPARE(label("DownloadLabel")->text(), QStringLiteral("1,91Mb"));
        QCOMPARE(label("DownloadLabel")->palette().color(QPalette::Window), QColor(0xFF, 0x00, 0x00));
    }

    void renderPanel()
    {
        // Computers in each state: off line, idle, running, about to end, a foreign seance, reserved.
        for (qint32 num = 1; num <= 8; ++num) {
            data.AddComputer(num);
        }
        data.Computers[2].Name = QStringLiteral("VIP");
        data.Config.insert(QStringLiteral("SeanceAlarmTime"), QStringLiteral("5"));
        data.Config.insert(QStringLiteral("HourDownloadLimit"), QStringLiteral("100"));
        data.AddSeance(20, 2, Now.addSecs(-600), Now.addSecs(4500));
        data.AddSeance(30, 3, Now.addSecs(-600), Now.addSecs(5400));
        data.AddSeance(40, 4, Now.addSecs(-3600), Now.addSecs(180));
        data.AddSeance(50, 6, Now.addSecs(-600), Now.addSecs(600));
        data.Nights.insert(5, {2, true, QStringLiteral("Лис")});
        data.Nights.insert(7, {1, true, QStringLiteral("Бобр")});
        data.Nights.insert(8, {3, false, QString()});
        const QHash<qint32, qint32> states{{2, 20}, {3, 30}, {4, 40}, {5, 0}, {6, 0}, {7, 0}, {8, 0}};
        for (auto it = states.cbegin(); it != states.cend(); ++it) {
            clientStates.insert(QStringLiteral("127.0.0.%1").arg(it.key()), it.value());
        }
        ComputersFrame frame(data, feedback);
        Answer(frame);
        connect(&frame, &ComputersFrame::BeginSeance, &frame, [](qint32 &, SeanceData::Seance &, bool &, bool &result) {
            result = false;
        });
        frame.resize(6000 / 15, 2 * 150);
        frame.setStyleSheet(QStringLiteral("ComputersFrame { background: white; }"));
        frame.LoadSettings();
        frame.IncreaseCurSeanceTraffic(3, 5'000'000, 300'000);
        frame.IncreaseCurSeanceTraffic(2, 900'000, 20'000);
        frame.show();
        const QImage image = frame.grab().toImage();
        QCOMPARE(image.size(), frame.size() * image.devicePixelRatio());
        const QString out = qEnvironmentVariable("QM_RENDER_DIR");
        if (!out.isEmpty()) {
            QVERIFY(image.save(out + QStringLiteral("/computersframe.png")));
        }
        // The off-line tile's screen is black, the idle one with a seance light red.
        ComputerControl *offline = frame.Control(1);
        const QWidget *screen = offline->findChild<QWidget *>(QStringLiteral("InnerScreen"));
        const QPoint centre = offline->mapTo(&frame, screen->geometry().center());
        QCOMPARE(image.pixelColor(centre + QPoint(-10, -10)), QColor(0, 0, 0));
    }
};

QTEST_MAIN(TestComputersFrame)
#include "tst_computersframe.moc"
