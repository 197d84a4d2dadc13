#include "clock.h"
#include "datevalue.h"
#include "memoryseancedata.h"
#include "seances/computertile.h"

#include <QEventLoop>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace
{
const QDateTime Now = DateValue::Make(2026, 3, 2, 15, 0, 0);

enum class Answer
{
    Accept,
    Refuse,
    Silent,
};

// The main window's side of the four events: answers as told and notes every event.
class FakeClient
{
public:
    FakeClient(ComputerTile &tile)
        : m_tile(tile)
    {
        QObject::connect(&tile,
                         &ComputerTile::BeginSeance,
                         &tile,
                         [this](SeanceData::Seance &seance, bool &withDesktop, bool &result) {
                             Events << QStringLiteral("Begin(%1,%2)").arg(seance.Code).arg(withDesktop ? 1 : 0);
                             result = BeginAnswer == Answer::Accept;
                             if (BeginAnswer == Answer::Silent) {
                                 m_tile.SetState(ComputerTile::netStateOffline);
                             }
                         });
        QObject::connect(&tile, &ComputerTile::QueryUserState, &tile, [this](QString &ip, qint32 &state) {
            Events << QStringLiteral("Query(%1)").arg(ip);
            state = QueryAnswer;
        });
        QObject::connect(&tile, &ComputerTile::Reboot, &tile, [this](QString &ip, bool &shutdown) {
            Events << QStringLiteral("Reboot(%1,%2)").arg(ip).arg(shutdown ? 1 : 0);
        });
        QObject::connect(&tile, &ComputerTile::SendServerSettings, &tile, [this](QString &ip) {
            Events << QStringLiteral("Settings(%1)").arg(ip);
        });
    }

    QStringList Events;
    Answer BeginAnswer = Answer::Accept;
    qint32 QueryAnswer = 0;

private:
    ComputerTile &m_tile;
};
} // namespace

Q_DECLARE_METATYPE(Answer)

class TestComputerTile : public QObject
{
    Q_OBJECT

private:
    MemorySeanceData data;
    RecordingFeedback feedback;

    // Computer 1 (127.0.0.1) with seance 5 from 14:00 to 16:00 when asked for.
    void Prepare(bool serverSeance)
    {
        data = MemorySeanceData();
        feedback = RecordingFeedback();
        data.AddComputer(1);
        data.AddComputer(2);
        data.DesktopInternet.insert(1, true);
        data.DesktopInternet.insert(2, false);
        data.Config.insert(QStringLiteral("SeanceAlarmTime"), QStringLiteral("2"));
        if (serverSeance) {
            data.AddSeance(5, 1, Now.addSecs(-3600), Now.addSecs(3600));
        }
    }

private slots:

    // Every case starts at the same moment; cleanup() returns the clock even when a case fails.
    void init()
    {
        Clock::SetNow(Now);
    }

    void cleanup()
    {
        Clock::SetNow(QDateTime());
    }

    void refreshDecision_data()
    {
        QTest::addColumn<qint32>("client");
        QTest::addColumn<bool>("serverSeance");
        QTest::addColumn<qint32>("mark");
        QTest::addColumn<Answer>("begin");
        QTest::addColumn<qint32>("query");
        QTest::addColumn<QString>("events");
        QTest::addColumn<qint32>("state");
        QTest::addColumn<qint32>("markAfter");

        const auto A = Answer::Accept;
        const auto R = Answer::Refuse;
        const auto S = Answer::Silent;
        for (qint32 mark : {0, 1, 2}) {
            QTest::addRow("off line mark %d", mark) << -3 << true << mark << A << 0 << "" << -3 << mark;
            QTest::addRow("idle, accepted mark %d", mark) << 0 << true << mark << A << 0 << "Begin(5,1)" << 5 << 0;
            QTest::addRow("idle, refused mark %d", mark) << 0 << true << mark << R << 0 << "Begin(5,1)" << 0 << mark;
            QTest::addRow("idle, no answer mark %d", mark) << 0 << true << mark << S << 0 << "Begin(5,1)" << -3 << mark;
            QTest::addRow("idle, no seance mark %d", mark) << 0 << false << mark << A << 0 << "" << 0 << mark;
            QTest::addRow("another, still runs mark %d", mark)
                << 4 << true << mark << A << 4 << "Query(127.0.0.1) Reboot(127.0.0.1,0)" << 4 << mark;
            QTest::addRow("ended, still runs mark %d", mark)
                << 4 << false << mark << A << 4 << "Query(127.0.0.1) Reboot(127.0.0.1,0)" << 4 << mark;
            QTest::addRow("another, now idle mark %d", mark)
                << 4 << true << mark << A << 0 << "Query(127.0.0.1)" << 0 << 0;
            QTest::addRow("another, stray -1 mark %d", mark)
                << 4 << true << mark << A << -1 << "Query(127.0.0.1)" << -1 << 0;
            QTest::addRow("another, gone off line mark %d", mark)
                << 4 << true << mark << A << -3 << "Query(127.0.0.1)" << -3 << mark;
        }
        QTest::newRow("same seance, mark 0") << 5 << true << 0 << A << 0 << "" << 5 << 0;
        QTest::newRow("same seance, mark 1") << 5 << true << 1 << A << 0 << "Begin(5,0)" << 5 << 0;
        QTest::newRow("same seance, mark 2") << 5 << true << 2 << A << 0 << "Begin(5,1)" << 5 << 0;
        QTest::newRow("same seance, mark 1 refused") << 5 << true << 1 << R << 0 << "Begin(5,0)" << 5 << 1;
        QTest::newRow("same seance, mark 2 refused") << 5 << true << 2 << R << 0 << "Begin(5,1)" << 5 << 2;
        QTest::newRow("same seance, mark 1 no answer") << 5 << true << 1 << S << 0 << "Begin(5,0)" << -3 << 1;
    }

    void refreshDecision()
    {
        QFETCH(qint32, client);
        QFETCH(bool, serverSeance);
        QFETCH(qint32, mark);
        QFETCH(Answer, begin);
        QFETCH(qint32, query);
        QFETCH(QString, events);
        QFETCH(qint32, state);
        QFETCH(qint32, markAfter);

        Prepare(serverSeance);
        ComputerTile tile(data, feedback);
        tile.SetState(client);
        tile.SetComputerNum(1);
        tile.SeanceChanged(mark);
        FakeClient fake(tile);
        fake.BeginAnswer = begin;
        fake.QueryAnswer = query;

        tile.RefreshData();
        QCOMPARE(fake.Events.join(u' '), events);
        QCOMPARE(tile.State(), state);
        QCOMPARE(tile.Mark(), markAfter);
    }

    void acceptedSeanceIsNotSentAgain()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        tile.RefreshData();
        tile.RefreshData();
        QCOMPARE(fake.Events, QStringList{QStringLiteral("Begin(5,1)")});
    }

    void idleAnswerStartsServerSeanceAtNextRefresh()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(4);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        fake.QueryAnswer = 0;
        tile.RefreshData();
        tile.RefreshData();
        QCOMPARE(fake.Events.join(u' '), QStringLiteral("Query(127.0.0.1) Begin(5,1)"));
        QCOMPARE(tile.State(), 5);
    }

    void stateSetterRefreshesAndClearsMark()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        FakeClient fake(tile);
        fake.BeginAnswer = Answer::Refuse;
        tile.SetComputerNum(1);
        tile.SeanceChanged(1);
        tile.SetState(0);
        QCOMPARE(fake.Events, QStringList{QStringLiteral("Begin(5,1)")});
        QCOMPARE(tile.Mark(), 1);
        tile.SetState(0);
        QCOMPARE(fake.Events.size(), 1);
        tile.SetState(7);
        QCOMPARE(tile.Mark(), 0);
    }

    void offlineChangesKeepPendingMark()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        tile.SeanceChanged(2);
        tile.SetState(ComputerTile::netStateOffline);
        QCOMPARE(tile.Mark(), 2);
        QVERIFY(fake.Events.isEmpty());
        tile.SetState(5);
        QCOMPARE(fake.Events, QStringList{QStringLiteral("Begin(5,1)")});
        QCOMPARE(tile.Mark(), 0);
    }

    void largerMarkWins()
    {
        Prepare(false);
        ComputerTile tile(data, feedback);
        tile.SeanceChanged(2);
        tile.SeanceChanged(1);
        QCOMPARE(tile.Mark(), 2);
        tile.SeanceChanged(0);
        QCOMPARE(tile.Mark(), 2);
    }

    void initAsksClientState()
    {
        Prepare(false);
        ComputerTile tile(data, feedback);
        tile.SetComputerNum(2);
        FakeClient fake(tile);
        fake.QueryAnswer = 0;
        tile.Init();
        QCOMPARE(fake.Events, QStringList{QStringLiteral("Query(127.0.0.2)")});
        QCOMPARE(tile.State(), 0);
        tile.RequestServerSettings();
        QCOMPARE(fake.Events.last(), QStringLiteral("Settings(127.0.0.2)"));
    }

    void unknownComputerDoesNothing()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(9);
        FakeClient fake(tile);
        tile.RefreshData();
        QVERIFY(fake.Events.isEmpty());
        QCOMPARE(data.SeanceReads, 0);
    }

    void tileDeletedWhileWaitingInAnEvent()
    {
        Prepare(true);
        QPointer<ComputerTile> tile = new ComputerTile(data, feedback);
        tile->SetState(0);
        tile->SetComputerNum(1);
        int begins = 0;
        connect(tile, &ComputerTile::BeginSeance, this, [&](SeanceData::Seance &, bool &, bool &result) {
            ++begins;
            // The handler waits for the network; meanwhile the panel drops the tile.
            QEventLoop wait;
            QTimer::singleShot(0, tile, [&] { tile->deleteLater(); });
            QTimer::singleShot(20, &wait, &QEventLoop::quit);
            wait.exec();
            result = true;
        });
        tile->RefreshData();
        QCOMPARE(begins, 1);
        QVERIFY(tile.isNull());
    }

    void refreshFlagClearedAfterEveryWayOut()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        fake.BeginAnswer = Answer::Refuse;
        tile.RefreshData();
        tile.RefreshData();
        QCOMPARE(fake.Events.size(), 2);
    }

    void trafficCountsAndLimits()
    {
        Prepare(false);
        data.AddSeance(5, 1, Now.addSecs(-1800), Now.addSecs(3600)); // 90 minutes
        data.Config.insert(QStringLiteral("HourDownloadLimit"), QStringLiteral("1000"));
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        QCOMPARE(tile.Traffic().DownloadLimit(), Currency(1536000));
        QCOMPARE(tile.Traffic().UploadLimit(), Currency());
        QVERIFY(tile.IsInternetAllowed());
        QVERIFY(tile.IncreaseCurSeanceTraffic(1535999, 10));
        QVERIFY(!tile.IncreaseCurSeanceTraffic(1, 10));
        QVERIFY(tile.Traffic().DownloadExhausted());
        QVERIFY(!tile.IsInternetAllowed());
    }

    void offlineClientHasNoInternet()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        QVERIFY(tile.IsInternetAllowed());
        tile.SetState(ComputerTile::netStateOffline);
        QVERIFY(!tile.IsInternetAllowed());
        QVERIFY(tile.IncreaseCurSeanceTraffic(10, 10) == false);
        QCOMPARE(tile.Traffic().Downloaded(), Currency(10));
    }

    void desktopWithoutInternetNeverCounts()
    {
        Prepare(false);
        data.AddSeance(5, 1, Now.addSecs(-60), Now.addSecs(3600), 2);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        QVERIFY(!tile.IncreaseCurSeanceTraffic(10, 10));
        QCOMPARE(tile.Traffic().Downloaded(), Currency());
    }

    void endedSeanceCountersAreSaved()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        tile.IncreaseCurSeanceTraffic(300, 40);
        Clock::SetNow(Now.addSecs(7200));
        tile.RefreshData();
        QCOMPARE(data.Seances[5].Downloaded, Currency(300));
        QCOMPARE(data.Seances[5].Uploaded, Currency(40));
        QCOMPARE(tile.Traffic().SeanceCode(), 0);
        QVERIFY(!tile.Traffic().Counts());
    }

    // A seance that cannot be read is not a seance that has gone: the client keeps it and its counts.
    void unreadableServerSeanceChangesNothing()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        tile.IncreaseCurSeanceTraffic(300, 40);
        FakeClient fake(tile);
        data.ReadError = QStringLiteral("нет связи с базой");
        tile.RefreshData();
        QCOMPARE(fake.Events, QStringList());
        QCOMPARE(tile.State(), 5);
        QCOMPARE(tile.Traffic().SeanceCode(), 5);
        QCOMPARE(tile.Traffic().Downloaded(), Currency(300));
        QCOMPARE(data.Saves, 0);
        QVERIFY(feedback.Logged.join(u'\n').contains(QStringLiteral("нет связи с базой")));
    }

    void unreadableSeanceStartsFromNothing()
    {
        Prepare(true);
        data.AddSeance(6, 1, Now.addSecs(3601), Now.addSecs(7200), 99); // its desktop is gone
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        tile.IncreaseCurSeanceTraffic(300, 40);
        Clock::SetNow(Now.addSecs(3700));
        tile.RefreshData();
        QCOMPARE(tile.Traffic().SeanceCode(), 6);
        QCOMPARE(tile.Traffic().Downloaded(), Currency());
        QVERIFY(!tile.Traffic().Internet());
        QVERIFY(!tile.IsInternetAllowed());
        QCOMPARE(feedback.Shown,
                 QStringList{QStringLiteral(
                     "При  загрузке данных о доступе в интернет по сеансу произошла ошибка: рабочий стол не найден!")});
    }

    void repeatedErrorShownOncePerSeance()
    {
        Prepare(false);
        data.AddSeance(5, 1, Now.addSecs(-60), Now.addSecs(3600), 99);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        for (int i = 0; i < 3; ++i) {
            tile.SeanceChanged(2);
            tile.RefreshData();
        }
        QCOMPARE(feedback.Logged.size(), 3);
        QCOMPARE(feedback.Shown.size(), 1);
    }

    void failedSaveIsReported()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        data.SaveError = QStringLiteral("диск полон");
        tile.SeanceChanged(2);
        tile.RefreshData();
        QCOMPARE(feedback.Shown,
                 QStringList{QStringLiteral(
                     "При сохранении информации о доступе в интернет по сеансу произошла ошибка: диск полон")});
    }

    void movedSeanceKeepsItsTraffic()
    {
        Prepare(true);
        ComputerTile source(data, feedback);
        ComputerTile target(data, feedback);
        connect(&target, &ComputerTile::TakingOverSeance, &source, &ComputerTile::ReleaseSeance);
        connect(&source, &ComputerTile::TakingOverSeance, &target, &ComputerTile::ReleaseSeance);
        source.SetState(5);
        source.SetComputerNum(1);
        target.SetComputerNum(2);
        source.RefreshData();
        QVERIFY(source.IncreaseCurSeanceTraffic(1000, 100));

        data.SeanceComputer[5] = 2; // the seance moves to computer 2
        target.RefreshData();
        QCOMPARE(target.Traffic().Downloaded(), Currency(1000));
        QVERIFY(!source.IncreaseCurSeanceTraffic(5, 5));
        target.SetState(5);
        QVERIFY(target.IncreaseCurSeanceTraffic(500, 0));
        target.SeanceChanged(2);
        target.RefreshData();
        source.RefreshData();
        QCOMPARE(data.Seances[5].Downloaded, Currency(1500));
    }

    void destroyedTileSavesItsCounters()
    {
        Prepare(true);
        {
            ComputerTile tile(data, feedback);
            tile.SetState(5);
            tile.SetComputerNum(1);
            tile.RefreshData();
            tile.IncreaseCurSeanceTraffic(77, 7);
        }
        QCOMPARE(data.Seances[5].Downloaded, Currency(77));
    }

    void alarmStartsAtAlarmTimeAndBeepsOnce()
    {
        Prepare(false);
        data.AddSeance(5, 1, Now.addSecs(-3600), Now.addSecs(180));
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        QVERIFY(!tile.AlarmOn());
        Clock::SetNow(Now.addSecs(60)); // exactly 2 minutes left
        tile.RefreshData();
        QVERIFY(tile.AlarmOn());
        QCOMPARE(feedback.Beeps, 5);
        QCOMPARE(feedback.Forwards, 1);
        tile.RefreshData();
        QCOMPARE(feedback.Beeps, 5);
        tile.AlarmTick();
        QCOMPARE(tile.ScreenColour(), QColor(0x00, 0xFF, 0xFF));

        data.Seances[5].EndDate = Now.addSecs(3600); // prolonged
        tile.RefreshData();
        QVERIFY(!tile.AlarmOn());
        QCOMPARE(feedback.Beeps, 5);
    }

    void offlineClientStopsAlarmAndShowsBlack()
    {
        Prepare(false);
        data.AddSeance(5, 1, Now.addSecs(-3600), Now.addSecs(60));
        ComputerTile tile(data, feedback);
        tile.SetState(5);
        tile.SetComputerNum(1);
        tile.RefreshData();
        QVERIFY(tile.AlarmOn());
        tile.SetState(ComputerTile::netStateOffline);
        QVERIFY(!tile.AlarmOn());
        QCOMPARE(tile.ScreenColour(), QColor(0, 0, 0));
    }

    void displayFollowsServerSeance()
    {
        Prepare(true);
        data.Nights.insert(1, {2, true, QStringLiteral("Лис")});
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        fake.BeginAnswer = Answer::Refuse;
        tile.RefreshData();
        QCOMPARE(tile.RemainingMinutes(), std::optional<qint64>(60));
        QCOMPARE(tile.ScreenColour(), QColor(0xFF, 0xC0, 0xC0));
        QCOMPARE(tile.NightColour(), QColor(0xFF, 0xFF, 0x00));
        QCOMPARE(tile.NightToolTip(), QStringLiteral("Сегодняшняя ночь зарезервирована"));
        QCOMPARE(tile.ReserveNickname(), QStringLiteral("Лис"));
    }

    void clientWithoutServerSeanceShowsCyan()
    {
        Prepare(false);
        data.AddSeance(4, 1, Now.addSecs(-7200), Now.addSecs(-60)); // ended a minute ago
        ComputerTile tile(data, feedback);
        tile.SetState(4);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        fake.QueryAnswer = 4;
        tile.RefreshData();
        QCOMPARE(tile.RemainingMinutes(), std::nullopt);
        QCOMPARE(tile.ScreenColour(), QColor(0x00, 0xFF, 0xFF));
        QVERIFY(tile.AlarmOn()); // blinks until the client is rebooted
    }

    void oneChangeNoticePerRefresh()
    {
        Prepare(true);
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(1);
        FakeClient fake(tile);
        QSignalSpy changes(&tile, &ComputerTile::Changed);
        tile.RefreshData(); // loads the traffic, sends the seance, changes the state, redraws twice
        QCOMPARE(fake.Events.size(), 1);
        QCOMPARE(changes.count(), 1);
    }

    void startedShortcut()
    {
        Prepare(false);
        data.Shortcuts.insert(3, QStringLiteral("Блокнот"));
        ComputerTile tile(data, feedback);
        tile.ShortcutStarted(3);
        QCOMPARE(tile.StartedShortcut(), QStringLiteral("Блокнот"));
        tile.ShortcutStarted(8);
        QCOMPARE(tile.StartedShortcut(), QString());
        QCOMPARE(feedback.Logged,
                 QStringList{QStringLiteral("ComputerControl.ShortcutStarted: Не найден ярлык с кодом 8!")});
        tile.ShortcutStarted(3);
        tile.SetState(0);
        QCOMPARE(tile.StartedShortcut(), QString());
    }
};

QTEST_GUILESS_MAIN(TestComputerTile)
#include "tst_computertile.moc"
