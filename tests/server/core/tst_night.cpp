#include "clock.h"
#include "core/night.h"
#include "core/settingsstore.h"
#include "coredatabase.h"
#include "datevalue.h"

#include <QTest>

namespace
{
QDateTime March(int Day, int Hours, int Minutes = 0, int Seconds = 0)
{
    return DateValue::Make(2026, 3, Day, Hours, Minutes, Seconds);
}
} // namespace

class TestNight : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowFromTheSettings();
    void settingsChangeTakesEffectAtOnce();
    void reserveOfTheNight();
    void unknownNumberFindsNoReserve();
    void states_data();
    void states();
    void nightSeanceWinsOverReserves();
    void usedReserveIsNotHandedBack();

private:
    std::unique_ptr<CoreDatabase> m_db;
    qint32 m_computer = 0;
    qint32 m_desktop = 0;
    qint32 m_dayRate = 0;
    qint32 m_nightRate = 0;
};

void TestNight::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
    SetDefaultSettings();
    m_computer = m_db->AddComputer(1);
    m_db->AddComputer(2);
    m_desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    m_dayRate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    m_nightRate = m_db->AddRate(QStringLiteral("Ночь"), 1, 300);
    GetComputerCode(0, true);
}

void TestNight::cleanup()
{
    Clock::SetNow(QDateTime());
    m_db.reset();
}

void TestNight::windowFromTheSettings()
{
    QVERIFY(IsNightTime(March(5, 23)));
    QVERIFY(IsNightTime(March(6, 8)));
    QVERIFY(!IsNightTime(March(6, 8, 0, 1)));
    QCOMPARE(GetNightDate(March(6, 2)), March(5, 0));
    QDateTime begin;
    QDateTime end;
    GetNightPeriod(March(6, 15), begin, end);
    QCOMPARE(begin, March(6, 23));
    QCOMPARE(end, March(7, 8));
    QCOMPARE(GetNightReserveExpiry(), DateValue::Make(1899, 12, 30, 23, 30));
    Clock::SetNow(March(6, 2));
    QVERIFY(IsNightTime(QDateTime()));
    QCOMPARE(GetNightDate(DateValue::Zero()), March(5, 0));
}

void TestNight::settingsChangeTakesEffectAtOnce()
{
    SetConfigValue(QStringLiteral("NightBeginTime"), QStringLiteral("30/12/1899 01:00:00"));
    SetConfigValue(QStringLiteral("NightEndTime"), QStringLiteral("30/12/1899 07:00:00"));
    SetConfigValue(QStringLiteral("NightReserveExpirationPeriod"), QStringLiteral("45"));
    QVERIFY(!IsNightTime(March(6, 0, 30)));
    QCOMPARE(GetNightDate(March(6, 0, 30)), March(5, 0));
    QVERIFY(IsNightTime(March(6, 3)));
    QCOMPARE(GetNightReserveExpiry(), DateValue::Make(1899, 12, 30, 1, 45));
}

void TestNight::reserveOfTheNight()
{
    const qint32 reserve = m_db->AddReserve(m_computer, m_desktop, m_nightRate, March(5, 0), true);
    QCOMPARE(FindNightReserve(1, March(5, 23, 30))->Code(), reserve);
    QCOMPARE(FindNightReserve(1, March(6, 2))->Code(), reserve);
    QCOMPARE(FindNightReserve(1, March(5, 15))->Code(), reserve);
    QVERIFY(!FindNightReserve(1, March(6, 15)));
    QVERIFY(!FindNightReserve(2, March(5, 23, 30)));
}

void TestNight::unknownNumberFindsNoReserve()
{
    m_db->AddReserve(m_computer, m_desktop, m_nightRate, March(5, 0), true);
    QVERIFY(!FindNightReserve(99, March(5, 23, 30)));
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    QCOMPARE(GetNightState(99, March(5, 23, 30), reserve), qint32(nsFree));
}

void TestNight::states_data()
{
    QTest::addColumn<bool>("fullPay");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<qint32>("state");
    QTest::newRow("full pay, evening") << true << March(5, 23, 45) << qint32(nsReservedFull);
    QTest::newRow("full pay, after midnight") << true << March(6, 7) << qint32(nsReservedFull);
    QTest::newRow("prepaid, the day before") << false << March(5, 15) << qint32(nsReservedPrepay);
    QTest::newRow("prepaid, at the expiry") << false << March(5, 23, 30) << qint32(nsReservedPrepay);
    QTest::newRow("prepaid, lapsed") << false << March(5, 23, 30, 1) << qint32(nsReserveUsed);
    QTest::newRow("prepaid, lapsed after midnight") << false << March(6, 2) << qint32(nsReserveUsed);
    QTest::newRow("another night") << false << March(6, 23) << qint32(nsFree);
}

void TestNight::states()
{
    QFETCH(bool, fullPay);
    QFETCH(QDateTime, moment);
    QFETCH(qint32, state);
    const qint32 code = m_db->AddReserve(m_computer, m_desktop, m_nightRate, March(5, 0), fullPay);
    std::shared_ptr<Rollstrake::DBRecord> reserve = m_db->Record(QStringLiteral("Computers"), m_computer);
    QCOMPARE(GetNightState(1, moment, reserve), state);
    if (state == nsReservedFull || state == nsReservedPrepay) {
        QVERIFY(reserve);
        QCOMPARE(reserve->Code(), code);
    } else {
        QVERIFY(!reserve);
    }
}

void TestNight::nightSeanceWinsOverReserves()
{
    m_db->AddReserve(m_computer, m_desktop, m_nightRate, March(5, 0), true);
    m_db->AddSeance(m_computer, m_desktop, m_nightRate, March(5, 23), March(6, 8));
    std::shared_ptr<Rollstrake::DBRecord> reserve = m_db->Record(QStringLiteral("Computers"), m_computer);
    QCOMPARE(GetNightState(1, March(6, 1), reserve), qint32(nsNightSeance));
    QVERIFY(!reserve);

    m_db->AddSeance(m_computer, m_desktop, m_dayRate, March(6, 10), March(6, 12));
    QCOMPARE(GetNightState(1, March(6, 11), reserve), qint32(nsFree));
}

void TestNight::usedReserveIsNotHandedBack()
{
    const qint32 seance = m_db->AddSeance(m_computer, m_desktop, m_nightRate, March(5, 23), March(6, 8));
    m_db->AddReserve(m_computer, m_desktop, m_nightRate, March(5, 0), true, seance);
    std::shared_ptr<Rollstrake::DBRecord> reserve = m_db->Record(QStringLiteral("Computers"), m_computer);
    QCOMPARE(GetNightState(1, March(5, 22), reserve), qint32(nsReserveUsed));
    QVERIFY(!reserve);
}

QTEST_MAIN(TestNight)
#include "tst_night.moc"
