#include "core/nightperiod.h"
#include "datevalue.h"

#include <QTest>

namespace
{
NightSettings Night(QTime Begin, QTime End, qint32 Expiration = 30)
{
    return NightSettings{Begin, End, Expiration};
}

const NightSettings Usual = Night(QTime(23, 0), QTime(8, 0));

QDateTime March(int Day, int Hours, int Minutes = 0, int Seconds = 0)
{
    return DateValue::Make(2026, 3, Day, Hours, Minutes, Seconds);
}
} // namespace

Q_DECLARE_METATYPE(NightSettings)

class TestNightPeriod : public QObject
{
    Q_OBJECT

private slots:
    void isNightTime_data();
    void isNightTime();
    void nightDate_data();
    void nightDate();
    void nightPeriod_data();
    void nightPeriod();
    void reserveExpiry();
    void reserveExpiryMoment_data();
    void reserveExpiryMoment();
};

void TestNightPeriod::isNightTime_data()
{
    QTest::addColumn<NightSettings>("night");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<bool>("isNight");
    QTest::newRow("begin included") << Usual << March(5, 23, 0, 0) << true;
    QTest::newRow("end included") << Usual << March(6, 8, 0, 0) << true;
    QTest::newRow("after the end") << Usual << March(6, 8, 0, 1) << false;
    QTest::newRow("before the begin") << Usual << March(5, 22, 59, 59) << false;
    QTest::newRow("after midnight") << Usual << March(6, 2, 0) << true;
    const NightSettings inDay = Night(QTime(8, 0), QTime(20, 0));
    QTest::newRow("inside one day, in") << inDay << March(5, 12, 0) << true;
    QTest::newRow("inside one day, end") << inDay << March(5, 20, 0) << true;
    QTest::newRow("inside one day, late") << inDay << March(5, 21, 0) << false;
    QTest::newRow("inside one day, early") << inDay << March(5, 7, 59, 59) << false;
    const NightSettings equal = Night(QTime(3, 0), QTime(3, 0));
    QTest::newRow("equal bounds, noon") << equal << March(5, 12, 0) << true;
    QTest::newRow("equal bounds, midnight") << equal << March(5, 0, 0) << true;
    const NightSettings late = Night(QTime(1, 0), QTime(7, 0));
    QTest::newRow("window after midnight, 00:30") << late << March(6, 0, 30) << false;
    QTest::newRow("window after midnight, 03:00") << late << March(6, 3, 0) << true;
}

void TestNightPeriod::isNightTime()
{
    QFETCH(NightSettings, night);
    QFETCH(QDateTime, moment);
    QTEST(IsNightTime(night, moment), "isNight");
}

void TestNightPeriod::nightDate_data()
{
    QTest::addColumn<NightSettings>("night");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QDateTime>("nightDate");
    QTest::newRow("evening") << Usual << March(5, 23, 30) << March(5, 0);
    QTest::newRow("after midnight") << Usual << March(6, 2, 0) << March(5, 0);
    QTest::newRow("afternoon") << Usual << March(6, 15, 0) << March(6, 0);
    QTest::newRow("morning after the night") << Usual << March(6, 10, 0) << March(6, 0);
    const NightSettings late = Night(QTime(1, 0), QTime(7, 0));
    QTest::newRow("late window, 00:30") << late << March(6, 0, 30) << March(5, 0);
    QTest::newRow("late window, 03:00") << late << March(6, 3, 0) << March(5, 0);
    QTest::newRow("late window, afternoon") << late << March(6, 15, 0) << March(6, 0);
}

void TestNightPeriod::nightDate()
{
    QFETCH(NightSettings, night);
    QFETCH(QDateTime, moment);
    QTEST(GetNightDate(night, moment), "nightDate");
}

void TestNightPeriod::nightPeriod_data()
{
    QTest::addColumn<NightSettings>("night");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QDateTime>("begin");
    QTest::addColumn<QDateTime>("end");
    QTest::newRow("after midnight") << Usual << March(6, 2, 0) << March(5, 23) << March(6, 8);
    QTest::newRow("afternoon") << Usual << March(6, 15, 0) << March(6, 23) << March(7, 8);
    QTest::newRow("morning after the night") << Usual << March(6, 10, 0) << March(5, 23) << March(6, 8);
    QTest::newRow("noon") << Usual << March(6, 12, 0) << March(6, 23) << March(7, 8);
    const NightSettings late = Night(QTime(1, 0), QTime(7, 0));
    QTest::newRow("late window, morning") << late << March(6, 3, 0) << March(6, 1) << March(6, 7);
    QTest::newRow("late window, evening") << late << March(6, 20, 0) << March(7, 1) << March(7, 7);
}

void TestNightPeriod::nightPeriod()
{
    QFETCH(NightSettings, night);
    QFETCH(QDateTime, moment);
    QDateTime begin;
    QDateTime end;
    GetNightPeriod(night, moment, begin, end);
    QTEST(begin, "begin");
    QTEST(end, "end");
}

void TestNightPeriod::reserveExpiry()
{
    QCOMPARE(GetNightReserveExpiry(Usual), DateValue::Make(1899, 12, 30, 23, 30));
    QCOMPARE(GetNightReserveExpiry(Night(QTime(23, 50), QTime(8, 0))), DateValue::Make(1899, 12, 30, 0, 20));
    QCOMPARE(GetNightReserveExpiry(Night(QTime(23, 0), QTime(8, 0), 1440 * 1000 + 45)),
             DateValue::Make(1899, 12, 30, 23, 45));
}

void TestNightPeriod::reserveExpiryMoment_data()
{
    QTest::addColumn<NightSettings>("night");
    QTest::addColumn<QDateTime>("nightDate");
    QTest::addColumn<QDateTime>("expiry");
    QTest::newRow("evening night") << Usual << March(5, 0) << March(5, 23, 30);
    QTest::newRow("over midnight") << Night(QTime(23, 50), QTime(8, 0)) << March(5, 0) << March(6, 0, 20);
    QTest::newRow("late window") << Night(QTime(1, 0), QTime(7, 0)) << March(5, 0) << March(6, 1, 30);
}

void TestNightPeriod::reserveExpiryMoment()
{
    QFETCH(NightSettings, night);
    QFETCH(QDateTime, nightDate);
    QTEST(NightReserveExpiryMoment(night, nightDate), "expiry");
}

QTEST_GUILESS_MAIN(TestNightPeriod)
#include "tst_nightperiod.moc"
