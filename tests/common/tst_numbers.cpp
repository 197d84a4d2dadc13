#include "currency.h"
#include "datevalue.h"
#include "leadingnumber.h"
#include "textdates.h"

#include <QTest>

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("state") << QStringLiteral(" 0") << 0.0;
        QTest::newRow("negative") << QStringLiteral("-2") << -2.0;
        QTest::newRow("fraction") << QStringLiteral("12.5abc") << 12.5;
        QTest::newRow("blanks inside") << QStringLiteral(" 1 2 3x") << 123.0;
        QTest::newRow("none") << QStringLiteral("abc") << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("comma stops") << QStringLiteral("12,5") << 12.0;
        QTest::newRow("exponent") << QStringLiteral("1e3") << 1000.0;
        QTest::newRow("bare exponent") << QStringLiteral("7e") << 7.0;
        QTest::newRow("point only") << QStringLiteral(".5") << 0.5;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(LeadingNumber(text), expected);
    }

    void leadingInteger()
    {
        QCOMPARE(LeadingInteger(QStringLiteral("2.5")), 2);
        QCOMPARE(LeadingInteger(QStringLiteral("3.5")), 4);
        QCOMPARE(LeadingInteger(QStringLiteral("99999999999")), 2147483647);
    }

    void nextToken()
    {
        qint32 pos = 1;
        QString token;
        QVERIFY(GetNextToken(QStringLiteral("a||b"), pos, token));
        QCOMPARE(token, QStringLiteral("a"));
        QVERIFY(GetNextToken(QStringLiteral("a||b"), pos, token));
        QCOMPARE(token, QString());
        QVERIFY(GetNextToken(QStringLiteral("a||b"), pos, token));
        QCOMPARE(token, QStringLiteral("b"));
        QVERIFY(!GetNextToken(QStringLiteral("a||b"), pos, token));

        pos = 1;
        QVERIFY(GetNextToken(QStringLiteral("1|2|"), pos, token));
        QVERIFY(GetNextToken(QStringLiteral("1|2|"), pos, token));
        QCOMPARE(token, QStringLiteral("2"));
        const qint32 before = pos;
        QVERIFY(!GetNextToken(QStringLiteral("1|2|"), pos, token));
        QCOMPARE(pos, before);

        pos = 1;
        QVERIFY(!GetNextToken(QString(), pos, token));
    }

    void currencyArithmetic()
    {
        QCOMPARE(Currency::FromDouble(12.00005).Units(), 120000); // half to even
        QCOMPARE(Currency::FromDouble(12.00015).Units(), 120002);
        QCOMPARE((Currency::FromDouble(0.5) * Currency::FromDouble(0.0001)).Units(), 0);
        QCOMPARE((Currency(35) / Currency(60)).ToString(), QStringLiteral("0.5833"));
        QCOMPARE(Currency::FromDouble(-33.33).Truncated(), Currency(-33));
        QVERIFY(Currency::FromDouble(-33.33).HasFraction());
        QCOMPARE(Currency::Max() + Currency(1), Currency::Max());
        QCOMPARE(Currency(5) / Currency(0), Currency::Max());
        QCOMPARE(Currency::FromDouble(-0.0001).ToString(), QStringLiteral("-0.0001"));
        Currency parsed;
        QVERIFY(Currency::FromText(QStringLiteral("12.3456"), parsed));
        QCOMPARE(parsed.Units(), 123456);
        QVERIFY(!Currency::FromText(QStringLiteral("12,3"), parsed));
    }

    void dateValues()
    {
        QVERIFY(DateValue::IsZero(DateValue::Zero()));
        QVERIFY(!DateValue::IsZero(QDateTime()));
        QCOMPARE(DateValue::Make(2003, 2, 30), QDateTime());
        const QDateTime moment = DateValue::Make(2003, 3, 5, 14, 20, 7);
        QCOMPARE(DateValue::FromSerial(DateValue::ToSerial(moment)), moment);
        QCOMPARE(DateValue::ToSerial(DateValue::Make(1900, 1, 1)), 2.0);
        QCOMPARE(DateValue::FromSerial(-1.25), DateValue::Make(1899, 12, 29, 6, 0, 0));
        QCOMPARE(DateValue::ToSerial(DateValue::Make(1899, 12, 29, 6, 0, 0)), -1.25);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
