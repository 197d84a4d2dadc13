#include "clock.h"
#include "core/mainlog.h"
#include "core/night.h"
#include "core/settingsstore.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "memoryseancedata.h"
#include "seances/computercontrol.h"
#include "seances/computersframe.h"
#include "seances/dbseancedata.h"

#include <QTest>

namespace
{
const QDateTime Now = DateValue::Make(2026, 3, 2, 15, 0, 0);
} // namespace

// The tiles and the panel over a real database, on both engines.
class TestDbSeanceData : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreDatabase> m_db;
    DbSeanceData data;
    RecordingFeedback feedback;
    QString m_err;
    qint32 internetDesktop = 0;
    qint32 rate = 0;

    qint32 AddComputer(qint32 num)
    {
        const qint32 code = m_db->AddComputer(num);
        GetComputerCode(0, true);
        return code;
    }

private slots:

    void init()
    {
        Clock::SetNow(Now);
        feedback = RecordingFeedback();
        m_db = std::make_unique<CoreDatabase>();
        QString err;
        QVERIFY2(m_db->Start(err), qPrintable(err));
        QVERIFY(InitMainLog());
        SetDefaultSettings();
        internetDesktop =
            m_db->Add(QStringLiteral("Desktops"),
                      {{QStringLiteral("Name"), QStringLiteral("Сеть")}, {QStringLiteral("IsInternet"), 1}});
        rate = m_db->AddRate(QStringLiteral("День"), 0, 60);
    }

    void cleanup()
    {
        ReleaseMainLog();
        m_db.reset();
    }

    void panelKeepsOneTilePerComputer()
    {
        const qint32 first = AddComputer(1);
        AddComputer(2);
        ComputersFrame frame(data, feedback);
        frame.resize(400, 400);
        frame.LoadSettings();
        QCOMPARE(frame.Controls().size(), 2);

        AddComputer(40000);
        QString err;
        QVERIFY2(m_db->Table(QStringLiteral("Computers"))->Remove(first, false, err), qPrintable(err));
        GetComputerCode(0, true);
        frame.LoadSettings();
        QVERIFY(!frame.ComputerControlExists(1));
        QVERIFY(frame.ComputerControlExists(2));
        QVERIFY(frame.ComputerControlExists(40000));
        QCOMPARE(frame.Control(2)->pos() + QPoint(frame.Control(2)->TileLeft(), 0),
                 QPoint(qRound(((6000 - 2190) / 3) / 15.0), 0));
    }

    void seanceIsSentWithItsRecord()
    {
        const qint32 computer = AddComputer(3);
        const qint32 seance = m_db->AddSeance(computer, internetDesktop, rate, Now.addSecs(-600), Now.addSecs(3000));
        ComputersFrame frame(data, feedback);
        connect(&frame, &ComputersFrame::QueryUserState, &frame, [](QString &, qint32 &state) { state = 0; });
        qint32 sentCode = 0;
        connect(&frame,
                &ComputersFrame::BeginSeance,
                &frame,
                [&](qint32 &, SeanceData::Seance &sent, bool &, bool &result) {
                    QVERIFY(sent.Record);
                    sentCode = sent.Record->Code();
                    result = true;
                });
        frame.LoadSettings();
        QCOMPARE(sentCode, seance);
        QCOMPARE(frame.UserState(3), seance);
    }

    void trafficIsKeptInTheSeance()
    {
        const qint32 computer = AddComputer(4);
        SetConfigValue(QStringLiteral("HourDownloadLimit"), QStringLiteral("1000"));
        const qint32 seance = m_db->AddSeance(computer, internetDesktop, rate, Now.addSecs(-1800), Now.addSecs(3600));
        {
            ComputerTile tile(data, feedback);
            tile.SetState(seance);
            tile.SetComputerNum(4);
            tile.RefreshData();
            QCOMPARE(tile.Traffic().DownloadLimit(), Currency(1536000));
            QVERIFY(tile.IncreaseCurSeanceTraffic(4096, 512));
            Clock::SetNow(Now.addSecs(7200));
            tile.RefreshData(); // the seance has ended: its counters are saved
            Clock::SetNow(Now);
            QCOMPARE(tile.Traffic().SeanceCode(), 0);
        }
        const auto record = m_db->Record(QStringLiteral("Seances"), seance);
        QCOMPARE(MoneyValue(*record, QStringLiteral("Downloaded")), Currency(4096));
        QCOMPARE(MoneyValue(*record, QStringLiteral("Uploaded")), Currency(512));

        ComputerTile again(data, feedback);
        again.SetState(seance);
        again.SetComputerNum(4);
        again.RefreshData();
        QCOMPARE(again.Traffic().Downloaded(), Currency(4096));
    }

    void missingDesktopIsReported()
    {
        const qint32 computer = AddComputer(5);
        const qint32 seance = m_db->AddSeance(computer, internetDesktop, rate, Now.addSecs(-60), Now.addSecs(600));
        // A desktop removed behind the library's back.
        QString description;
        QVERIFY2(Rollstrake::Connection::Current()->Execute(
                     QStringLiteral("UPDATE Seances SET Desktop = 999 WHERE Code = %1").arg(seance),
                     description),
                 qPrintable(description));
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(5);
        tile.RefreshData();
        QCOMPARE(feedback.Shown.size(), 1);
        QVERIFY(feedback.Shown[0].endsWith(QStringLiteral("рабочий стол не найден!")));
        QVERIFY(!tile.IsInternetAllowed());
    }

    void nightReserveAndShortcut()
    {
        const qint32 computer = AddComputer(6);
        m_db->AddReserve(computer, internetDesktop, rate, DateValue::Make(2026, 3, 2), true);
        const qint32 shortcut = m_db->Add(QStringLiteral("Shortcuts"),
                                          {{QStringLiteral("Caption"), QStringLiteral("Блокнот")},
                                           {QStringLiteral("Desktop"), internetDesktop},
                                           {QStringLiteral("Path"), QStringLiteral("notepad.exe")}});
        ComputerTile tile(data, feedback);
        tile.SetState(0);
        tile.SetComputerNum(6);
        tile.RefreshData();
        QCOMPARE(tile.NightToolTip(), QStringLiteral("Сегодняшняя полностью оплачена"));
        QCOMPARE(tile.ReserveNickname(), QStringLiteral("Гость"));
        tile.ShortcutStarted(shortcut);
        QCOMPARE(tile.StartedShortcut(), QStringLiteral("Блокнот"));
    }

    void nightStateWithTheSeanceRead_data()
    {
        QTest::addColumn<int>("seance");  // 0 none, 1 day rate, 2 night rate
        QTest::addColumn<int>("reserve"); // 0 none, 1 fully paid, 2 prepaid, 3 used
        QTest::addColumn<int>("state");
        QTest::newRow("free") << 0 << 0 << int(nsFree);
        QTest::newRow("fully paid reserve") << 0 << 1 << int(nsReservedFull);
        QTest::newRow("prepaid reserve") << 0 << 2 << int(nsReservedPrepay);
        QTest::newRow("used reserve") << 0 << 3 << int(nsReserveUsed);
        QTest::newRow("night seance") << 2 << 0 << int(nsNightSeance);
        QTest::newRow("night seance over a reserve") << 2 << 1 << int(nsNightSeance);
        QTest::newRow("day seance and a reserve") << 1 << 2 << int(nsReservedPrepay);
    }

    // The tile passes the seance it has read; the state is the one a fresh lookup gives.
    void nightStateWithTheSeanceRead()
    {
        QFETCH(int, seance);
        QFETCH(int, reserve);
        QFETCH(int, state);
        const qint32 computer = AddComputer(8);
        const qint32 night = m_db->AddRate(QStringLiteral("Ночь"), 1, 30);
        qint32 code = 0;
        if (seance > 0) {
            code = m_db->AddSeance(computer,
                                   internetDesktop,
                                   seance == 2 ? night : rate,
                                   Now.addSecs(-60),
                                   Now.addSecs(600));
        }
        if (reserve > 0) {
            const qint32 used =
                reserve == 3 ? m_db->AddSeance(computer, internetDesktop, night, Now.addSecs(-7200), Now.addSecs(-3600))
                             : 0;
            m_db->AddReserve(computer, internetDesktop, night, DateValue::Make(2026, 3, 2), reserve == 1, used);
        }
        const auto running = data.SeanceAt(8, Now, m_err);
        QCOMPARE(running ? running->Code : 0, code);
        const SeanceData::NightInfo known = data.NightStateWith(8, Now, running);
        QCOMPARE(known.State, state);
        QCOMPARE(data.NightState(8, Now).State, state);
        QCOMPARE(known.HasReserve, state == nsReservedFull || state == nsReservedPrepay);
        QCOMPARE(known.Nickname, known.HasReserve ? QStringLiteral("Гость") : QString());
    }

    void seanceLookups()
    {
        const qint32 computer = AddComputer(7);
        const qint32 night = m_db->AddRate(QStringLiteral("Ночь"), 1, 30);
        const qint32 seance = m_db->AddSeance(computer, internetDesktop, night, Now.addSecs(-60), Now.addSecs(600));
        const auto found = data.SeanceAt(7, Now, m_err);
        QVERIFY(found);
        QCOMPARE(found->Code, seance);
        QVERIFY(found->IsNight);
        QCOMPARE(found->EndDate, Now.addSecs(600));
        QVERIFY(!data.FindSeance(seance + 100, m_err));
        QCOMPARE(data.ComputerNums(), QList<qint32>{7});
        QCOMPARE(data.ComputerIP(7), QStringLiteral("127.0.0.7"));
    }
};

QTEST_MAIN(TestDbSeanceData)
#include "tst_dbseancedata.moc"
