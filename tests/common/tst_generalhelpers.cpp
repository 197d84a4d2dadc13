#include "datevalue.h"
#include "generalhelpers.h"

#include <QHash>
#include <QMap>
#include <QTest>

#include <map>
#include <memory>

class TestGeneralHelpers : public QObject
{
    Q_OBJECT

private slots:

    void dayBounds()
    {
        const QDateTime moment = DateValue::Make(2003, 3, 5, 14, 20, 7);
        QCOMPARE(GetDayBound(moment, false), DateValue::Make(2003, 3, 5));
        QCOMPARE(GetDayBound(moment, true), DateValue::Make(2003, 3, 5, 23, 59, 59));
        QCOMPARE(GetDayBound(QDateTime(), true), QDateTime());
    }

    void timeOnDate()
    {
        const QDateTime time = DateValue::Make(1899, 12, 30, 22, 15, 0);
        QCOMPARE(SetTimeOnDate(time, DateValue::Make(2003, 3, 5, 8, 0, 0)), DateValue::Make(2003, 3, 5, 22, 15, 0));
        QCOMPARE(SetTimeOnDate(QDateTime(), DateValue::Make(2003, 3, 5)), QDateTime());
        QCOMPARE(SetTimeOnDate(time, QDateTime()), time);
    }

    void compareDates_data()
    {
        QTest::addColumn<QDateTime>("a");
        QTest::addColumn<QDateTime>("b");
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint32>("expected");
        const QDateTime morning = DateValue::Make(2003, 3, 5, 10, 0, 0);
        const QDateTime evening = DateValue::Make(2003, 3, 5, 18, 0, 0);
        const QDateTime nextMorning = DateValue::Make(2003, 3, 6, 9, 0, 0);
        QTest::newRow("same day") << morning << evening << 1 << 0;
        QTest::newRow("earlier time") << morning << evening << 2 << 1;
        QTest::newRow("earlier moment") << morning << evening << 3 << 1;
        QTest::newRow("later time, next day") << evening << nextMorning << 2 << 2;
        QTest::newRow("earlier day") << evening << nextMorning << 1 << 1;
        QTest::newRow("equal") << evening << evening << 3 << 0;
        QTest::newRow("unknown mode") << morning << nextMorning << 4 << 0;
        QTest::newRow("null is zero date") << QDateTime() << DateValue::Zero() << 3 << 0;
    }

    void compareDates()
    {
        QFETCH(QDateTime, a);
        QFETCH(QDateTime, b);
        QFETCH(int, mode);
        QFETCH(qint32, expected);
        QCOMPARE(CompareDates(a, b, static_cast<quint8>(mode)), expected);
    }

    void roundUpSum_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint32>("decimals");
        QTest::addColumn<double>("expected");
        QTest::newRow("fraction") << 12.01 << 0 << 13.0;
        QTest::newRow("whole") << 12.0 << 0 << 12.0;
        QTest::newRow("tens") << 1234.0 << -1 << 1240.0;
        QTest::newRow("tiny to cents") << 0.0001 << 2 << 0.01;
        QTest::newRow("negative half") << -1.5 << 0 << -1.0;
        QTest::newRow("negative thirds") << -33.33 << 0 << -33.0;
        QTest::newRow("negative tens") << -1234.0 << -1 << -1230.0;
        QTest::newRow("ten thousands") << 1.0 << -4 << 10000.0;
        QTest::newRow("below -4 as -4") << 1.0 << -9 << 10000.0;
        QTest::newRow("more decimals than held") << 1.2345 << 7 << 1.2345;
        QTest::newRow("three decimals") << 1.2341 << 3 << 1.235;
    }

    void roundUpSum()
    {
        QFETCH(double, value);
        QFETCH(qint32, decimals);
        QFETCH(double, expected);
        QCOMPARE(RoundUpSum(Currency::FromDouble(value), decimals), Currency::FromDouble(expected));
    }

    void roundUpSumAtTheLimit()
    {
        QCOMPARE(RoundUpSum(Currency::Max(), 0), Currency::Max());
        QCOMPARE(RoundUpSum(Currency::Min(), 0),
                 Currency::FromUnits(std::numeric_limits<std::int64_t>::min() / 10000 * 10000));
    }

    void cyPower_data()
    {
        QTest::addColumn<double>("base");
        QTest::addColumn<qint32>("exponent");
        QTest::addColumn<Currency>("expected");
        QTest::newRow("zero exponent") << 0.0 << 0 << Currency(1);
        QTest::newRow("cube") << 1.5 << 3 << Currency::FromDouble(3.375);
        QTest::newRow("negative base") << -2.0 << 3 << Currency(-8);
        QTest::newRow("steps rounded") << 0.15 << 3 << Currency::FromDouble(0.0034); // 0.0225 * 0.15 = 0.003375
        QTest::newRow("inverse") << 2.0 << -2 << Currency::FromDouble(0.25);
        QTest::newRow("saturates") << 10.0 << 40 << Currency::Max();
        QTest::newRow("saturates negative odd") << -10.0 << 41 << Currency::Min();
        QTest::newRow("saturates negative even") << -10.0 << 40 << Currency::Max();
        QTest::newRow("minus one, huge odd") << -1.0 << std::numeric_limits<qint32>::max() << Currency(-1);
        QTest::newRow("shrinks to a fixed point")
            << 0.9999 << std::numeric_limits<qint32>::min() << Currency(2); // 0.5 * 0.9999 rounds back to 0.5
    }

    void cyPower()
    {
        QFETCH(double, base);
        QFETCH(qint32, exponent);
        QFETCH(Currency, expected);
        QCOMPARE(CyPower(Currency::FromDouble(base), exponent), expected);
    }

    void powerOfTen_data()
    {
        QTest::addColumn<qint32>("exponent");
        QTest::addColumn<double>("expected");
        QTest::newRow("0") << 0 << 1.0;
        QTest::newRow("2") << 2 << 100.0;
        QTest::newRow("-1") << -1 << 0.1;
        QTest::newRow("-4") << -4 << 0.0001;
        QTest::newRow("-5") << -5 << 0.0;
    }

    void powerOfTen()
    {
        QFETCH(qint32, exponent);
        QFETCH(double, expected);
        QCOMPARE(PowerOfTen(exponent), expected);
    }

    void itemKeys()
    {
        QCOMPARE(MakeItemKey(12), QStringLiteral("C12"));
        QCOMPARE(MakeItemKey(-3), QStringLiteral("C-3"));
        QCOMPARE(GetKeyNum(QStringLiteral("C12")), 12);
        QCOMPARE(GetKeyNum(MakeItemKey(-3)), -3);
        QCOMPARE(GetKeyNum(QStringLiteral("C")), 0);
    }

    void collectionItem()
    {
        std::map<QString, std::shared_ptr<int>> stdMap{{QStringLiteral("C1"), std::make_shared<int>(7)}};
        QCOMPARE(*GetCollectionItem(stdMap, QStringLiteral("C1")), 7);
        QVERIFY(!GetCollectionItem(stdMap, QStringLiteral("C2")));

        int value = 5;
        QMap<QString, int *> qtMap{{QStringLiteral("C5"), &value}};
        QCOMPARE(GetCollectionItem(qtMap, QStringLiteral("C5")), &value);
        QCOMPARE(GetCollectionItem(QHash<QString, int *>(), QStringLiteral("C5")), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestGeneralHelpers)
#include "tst_generalhelpers.moc"
