#include "datevalue.h"
#include "seances/gridlayout.h"
#include "seances/panellayout.h"
#include "seances/seancealarm.h"
#include "seances/tiledecision.h"
#include "seances/tilelook.h"
#include "seances/tilemenustate.h"
#include "seances/trafficcounter.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(TileAction)

class TestTileLogic : public QObject
{
    Q_OBJECT

private slots:

    void limits_data()
    {
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<qint64>("factor");
        QTest::addColumn<double>("limit");
        QTest::newRow("90 minutes at 1000") << qint64(90) << QStringLiteral("1000") << qint64(1536) << 1536000.0;
        QTest::newRow("59 minutes") << qint64(59) << QStringLiteral("1") << qint64(1007) << 1007.0;
        QTest::newRow("quarter hour") << qint64(15) << QStringLiteral("2") << qint64(256) << 512.0;
        QTest::newRow("no limit") << qint64(60) << QStringLiteral("0") << qint64(1024) << 0.0;
        QTest::newRow("no number") << qint64(60) << QStringLiteral("abc") << qint64(1024) << 0.0;
        QTest::newRow("leading number") << qint64(60) << QStringLiteral(" 10 KB") << qint64(1024) << 10240.0;
    }

    void limits()
    {
        QFETCH(qint64, minutes);
        QFETCH(QString, setting);
        QFETCH(qint64, factor);
        QFETCH(double, limit);
        QCOMPARE(TrafficCounter::LimitFactor(minutes), factor);
        QCOMPARE(TrafficCounter::SeanceLimit(minutes, setting).ToDouble(), limit);
    }

    void limitFactorRoundsHalvesToEven()
    {
        // Ten hours of seance lengths against the exact quotient, including negative lengths.
        for (qint64 minutes = -60; minutes < 600; ++minutes) {
            const double exact = minutes * 1024.0 / 60.0;
            QCOMPARE(double(TrafficCounter::LimitFactor(minutes)), std::nearbyint(exact));
        }
    }

    void zeroLimitNeverRefuses()
    {
        TrafficCounter traffic;
        traffic.Reset(7);
        traffic.SetInternet(true);
        QVERIFY(traffic.Increase(1'000'000'000, 1'000'000'000, true));
        QVERIFY(traffic.Increase(1'000'000'000, 0, true));
        QVERIFY(!traffic.DownloadExhausted());
    }

    void chunkReachingLimitIsCountedAndRefused()
    {
        TrafficCounter traffic;
        traffic.Reset(7);
        traffic.SetInternet(true);
        traffic.SetLimits(Currency(1000), Currency());
        QVERIFY(traffic.Increase(999, 5, true));
        QVERIFY(!traffic.Increase(1, 5, true));
        QCOMPARE(traffic.Downloaded(), Currency(1000));
        QVERIFY(traffic.DownloadExhausted());
        QVERIFY(!traffic.UploadExhausted());
    }

    void withoutInternetNothingCounts()
    {
        TrafficCounter traffic;
        traffic.Reset(7);
        QVERIFY(!traffic.Increase(10, 10, true));
        QCOMPARE(traffic.Downloaded(), Currency());
        QVERIFY(!traffic.IsAllowed(true));
        traffic.SetInternet(true);
        QVERIFY(traffic.IsAllowed(true));
        QVERIFY(!traffic.IsAllowed(false));
    }

    void decision_data()
    {
        QTest::addColumn<qint32>("client");
        QTest::addColumn<qint32>("server");
        QTest::addColumn<qint32>("mark");
        QTest::addColumn<TileAction>("action");
        for (qint32 mark : {0, 1, 2}) {
            QTest::addRow("off line, mark mark %d", mark) << -3 << 5 << mark << TileAction::None;
            QTest::addRow("idle, no seance, mark mark %d", mark) << 0 << 0 << mark << TileAction::None;
            QTest::addRow("idle, server seance, mark mark %d", mark)
                << 0 << 5 << mark << TileAction::SendSeanceWithDesktop;
            QTest::addRow("runs another, mark mark %d", mark) << 4 << 5 << mark << TileAction::CheckForeignSeance;
            QTest::addRow("runs ended seance, mark mark %d", mark) << 4 << 0 << mark << TileAction::CheckForeignSeance;
        }
        QTest::newRow("runs server's, mark 0") << 5 << 5 << 0 << TileAction::None;
        QTest::newRow("runs server's, mark 1") << 5 << 5 << 1 << TileAction::SendSeance;
        QTest::newRow("runs server's, mark 2") << 5 << 5 << 2 << TileAction::SendSeanceWithDesktop;
        QTest::newRow("stray answer counts as idle") << -1 << 5 << 0 << TileAction::SendSeanceWithDesktop;
    }

    void decision()
    {
        QFETCH(qint32, client);
        QFETCH(qint32, server);
        QFETCH(qint32, mark);
        QFETCH(TileAction, action);
        QCOMPARE(DecideTileAction(client, server, mark), action);
    }

    void screenColour_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<qint32>("server");
        QTest::addColumn<qint32>("client");
        QTest::addColumn<QColor>("colour");
        const QColor tile(0x00, 0xFF, 0xFF);
        QTest::newRow("off line") << false << 5 << 0 << QColor(0, 0, 0);
        QTest::newRow("no server seance") << true << 0 << 4 << QColor(0x00, 0xFF, 0xFF);
        QTest::newRow("client idle") << true << 5 << 0 << QColor(0xFF, 0xC0, 0xC0);
        QTest::newRow("running: tile colour") << true << 5 << 5 << tile;
    }

    void screenColour()
    {
        QFETCH(bool, online);
        QFETCH(qint32, server);
        QFETCH(qint32, client);
        QFETCH(QColor, colour);
        QCOMPARE(TileLook::ScreenColour(online, server, client, QColor(0x00, 0xFF, 0xFF)), colour);
    }

    void nightLook_data()
    {
        QTest::addColumn<qint32>("state");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("tip");
        QTest::newRow("0") << 0 << QColor(0x00, 0xFF, 0x00) << QStringLiteral("Сегодняшняя ночь свободна");
        QTest::newRow("1") << 1 << QColor(0xFF, 0x00, 0x00) << QStringLiteral("Сегодняшняя полностью оплачена");
        QTest::newRow("2") << 2 << QColor(0xFF, 0xFF, 0x00) << QStringLiteral("Сегодняшняя ночь зарезервирована");
        QTest::newRow("3") << 3 << QColor(0x00, 0x00, 0xFF) << QStringLiteral("Запущен ночной сеанс");
        QTest::newRow("4") << 4 << QColor(0x00, 0xFF, 0x00)
                           << QStringLiteral("Резерв сегодняшней ночи уже был использован");
    }

    void nightLook()
    {
        QFETCH(qint32, state);
        QFETCH(QColor, colour);
        QFETCH(QString, tip);
        const TileLook::Night look = TileLook::NightLook(state);
        QVERIFY(look.Known);
        QCOMPARE(look.Colour, colour);
        QCOMPARE(look.ToolTip, tip);
    }

    void remainingText_data()
    {
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<QString>("text");
        QTest::newRow("75 minutes") << qint64(75) << QStringLiteral("01:15");
        QTest::newRow("ended 5 minutes ago") << qint64(-5) << QStringLiteral("-00:05");
        QTest::newRow("now") << qint64(0) << QStringLiteral("00:00");
        QTest::newRow("long") << qint64(6000) << QStringLiteral("100:00");
    }

    void remainingText()
    {
        QFETCH(qint64, minutes);
        QFETCH(QString, text);
        QCOMPARE(TileLook::RemainingText(minutes), text);
    }

    void remainingTextWithoutSeance()
    {
        QCOMPARE(TileLook::RemainingText(std::nullopt), QString());
    }

    void trafficText()
    {
        QCOMPARE(TileLook::TrafficText(Currency(1572864)), QStringLiteral("1,50Mb"));
        QCOMPARE(TileLook::TrafficText(Currency()), QStringLiteral("0,00Mb"));
    }

    void unknownNightStateLeavesStrip()
    {
        QVERIFY(!TileLook::NightLook(5).Known);
        QVERIFY(!TileLook::NightLook(-1).Known);
    }

    void alarmStartsOnceAndStopsWhenProlonged()
    {
        SeanceAlarm alarm;
        QCOMPARE(alarm.Check(5, 3, 2), SeanceAlarm::Step::None);
        QCOMPARE(alarm.Check(5, 2, 2), SeanceAlarm::Step::Started);
        QCOMPARE(alarm.Check(5, 1, 2), SeanceAlarm::Step::None);
        QVERIFY(alarm.IsOn());
        alarm.Tick();
        QCOMPARE(alarm.Colour(), QColor(0x00, 0xFF, 0xFF));
        alarm.Tick();
        QCOMPARE(alarm.Colour(), QColor(0xFF, 0x00, 0x00));
        alarm.Tick();
        QCOMPARE(alarm.Check(5, 62, 2), SeanceAlarm::Step::Stopped);
        QVERIFY(!alarm.IsOn());
        QCOMPARE(alarm.Colour(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(alarm.Check(5, 2, 2), SeanceAlarm::Step::Started);
    }

    void alarmStopsWithoutClientSeanceAndIgnoresMissingRecord()
    {
        SeanceAlarm alarm;
        QCOMPARE(alarm.Check(5, -4, 2), SeanceAlarm::Step::Started);
        QCOMPARE(alarm.Check(5, std::nullopt, 2), SeanceAlarm::Step::None);
        QVERIFY(alarm.IsOn());
        alarm.Tick();
        QCOMPARE(alarm.Check(0, std::nullopt, 2), SeanceAlarm::Step::Stopped);
        QCOMPARE(alarm.Colour(), QColor(0xFF, 0x00, 0x00));
    }

    void menuState_data()
    {
        QTest::addColumn<bool>("hasSeance");
        QTest::addColumn<bool>("nightSeance");
        QTest::addColumn<bool>("nightTime");
        QTest::addColumn<qint32>("nightState");
        QTest::addColumn<bool>("online");
        QTest::addColumn<QString>("enabled");
        // Letters: a add, l alter, e edit, b break, s stop, m move, n start night seance, r reserve,
        // c cancel reserve, v activate reserve, R reboot, S shut down, u send settings, D default alter.
        QTest::newRow("idle by day, off line") << false << false << false << 0 << false << QStringLiteral("aru");
        QTest::newRow("idle by day, on line") << false << false << false << 0 << true << QStringLiteral("arRSu");
        QTest::newRow("idle at night, free") << false << false << true << 0 << true << QStringLiteral("anrRSu");
        QTest::newRow("idle at night, used") << false << false << true << 4 << false << QStringLiteral("anru");
        QTest::newRow("idle at night, reserved") << false << false << true << 2 << false << QStringLiteral("arcvu");
        QTest::newRow("day seance") << true << false << false << 1 << false << QStringLiteral("lebsmrcuD");
        QTest::newRow("night seance") << true << true << true << 3 << true << QStringLiteral("ebsmrRSuD");
    }

    void menuState()
    {
        QFETCH(bool, hasSeance);
        QFETCH(bool, nightSeance);
        QFETCH(bool, nightTime);
        QFETCH(qint32, nightState);
        QFETCH(bool, online);
        QFETCH(QString, enabled);
        const TileMenuState s = TileMenuState::For(hasSeance, nightSeance, nightTime, nightState, online);
        QString got;
        const std::pair<bool, QChar> entries[] = {
            {s.AddSeance, u'a'},
            {s.AlterSeance, u'l'},
            {s.EditSeancePrefs, u'e'},
            {s.BreakSeance, u'b'},
            {s.StopSeance, u's'},
            {s.MoveSeance, u'm'},
            {s.StartReserveSeance, u'n'},
            {s.ReserveNight, u'r'},
            {s.CancelReserveNight, u'c'},
            {s.StartReservedNight, u'v'},
            {s.Reboot, u'R'},
            {s.Shutdown, u'S'},
            {s.SendSettings, u'u'},
            {s.DefaultIsAlter, u'D'},
        };
        for (const auto &[on, letter] : entries) {
            if (on) {
                got += letter;
            }
        }
        QCOMPARE(got, enabled);
    }

    void gridLayout()
    {
        const QList<QPoint> places = GridLayout::Arrange(1000, 1200, 12);
        QCOMPARE(places.size(), 12);
        QCOMPARE(places[0], QPoint(10, 36));
        QCOMPARE(places[1], QPoint(340, 36));
        QCOMPARE(places[2], QPoint(670, 36));
        QCOMPARE(places[3], QPoint(10, 327));
        QCOMPARE(places[11], QPoint(670, 909));
    }

    void gridLayoutOverlapsRowsThatDoNotFit()
    {
        // Two columns, five rows needed in 600: the vertical gap is (600 - 1275) / 6 = -112.
        const QList<QPoint> places = GridLayout::Arrange(700, 600, 10);
        QCOMPARE(places[0], QPoint(20, -112));
        QCOMPARE(places[2], QPoint(20, 31));
    }

    void gridLayoutNarrowAndEmpty()
    {
        QVERIFY(GridLayout::Arrange(1000, 1000, 0).isEmpty());
        const QList<QPoint> places = GridLayout::Arrange(100, 1000, 2);
        QCOMPARE(places.size(), 2);
        QCOMPARE(places[0].x(), places[1].x());
    }

    void panelLayout()
    {
        const QList<QPoint> places = PanelLayout::Arrange(6000, 10);
        QCOMPARE(places.size(), 10);
        const int lefts[] = {324, 1743, 3162, 4581};
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(places[i], QPoint(lefts[i % 4], i / 4 * 2250));
        }
    }

    void panelLayoutFewTilesSpread()
    {
        const QList<QPoint> places = PanelLayout::Arrange(12000, 3);
        // gap = (12000 - 3285) / 4 = 2178
        QCOMPARE(places, (QList<QPoint>{{2178, 0}, {5451, 0}, {8724, 0}}));
    }

    void panelLayoutWithoutRoom()
    {
        QVERIFY(PanelLayout::Arrange(1214, 5).isEmpty());
        QVERIFY(PanelLayout::Arrange(6000, 0).isEmpty());
        QCOMPARE(PanelLayout::Arrange(1215, 5).size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestTileLogic)
#include "tst_tilelogic.moc"
