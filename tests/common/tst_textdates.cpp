#include "datevalue.h"
#include "textdates.h"

#include <QTest>

namespace
{
const QString Slash = QStringLiteral("/");
const QString Point = QStringLiteral(".");
const QChar Nbsp(0x00A0);
} // namespace

class TestTextDates : public QObject
{
    Q_OBJECT

private slots:

    void dateToString_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<bool>("withTime");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        const QDateTime march = DateValue::Make(2003, 3, 5, 14, 20, 7);
        QTest::newRow("slash with time") << march << true << Slash << QStringLiteral("05/03/2003 14:20:07");
        QTest::newRow("point without time") << march << false << Point << QStringLiteral("05.03.2003");
        QTest::newRow("year end") << DateValue::Make(2002, 12, 31, 23, 59, 59) << true << Slash
                                  << QStringLiteral("31/12/2002 23:59:59");
        QTest::newRow("zero date") << DateValue::Zero() << true << Point << QStringLiteral("30.12.1899 00:00:00");
        QTest::newRow("null") << QDateTime() << true << Slash << QString();
    }

    void dateToString()
    {
        QFETCH(QDateTime, value);
        QFETCH(bool, withTime);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(DateToString(value, withTime, separator), expected);
    }

    void stringToDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("full") << QStringLiteral("05/03/2003 14:20:07") << DateValue::Make(2003, 3, 5, 14, 20, 7);
        QTest::newRow("date only") << QStringLiteral("05/03/2003") << DateValue::Make(2003, 3, 5);
        QTest::newRow("short parts") << QStringLiteral("5/3/2003") << DateValue::Make(2003, 3, 5);
        QTest::newRow("time only") << QStringLiteral("23:00:00") << DateValue::Make(1999, 11, 30, 23);
        QTest::newRow("nine characters") << QStringLiteral("5/03/2003") << QDateTime();
        QTest::newRow("no seconds") << QStringLiteral("31/12/2002 23:59") << QDateTime();
        QTest::newRow("last second") << QStringLiteral("31/12/2002 23:59:59")
                                     << DateValue::Make(2002, 12, 31, 23, 59, 59);
        QTest::newRow("two-digit year") << QStringLiteral("01/02/29") << DateValue::Make(2029, 2, 1);
        QTest::newRow("last century") << QStringLiteral("01/02/30") << DateValue::Make(1930, 2, 1);
        QTest::newRow("day zero steps back") << QStringLiteral("00/03/2004") << DateValue::Make(2004, 2, 29);
        QTest::newRow("month 13 carries") << QStringLiteral("01/13/2003") << DateValue::Make(2004, 1, 1);
        QTest::newRow("hour 24 carries") << QStringLiteral("31/12/2002 24:00:00") << DateValue::Make(2003, 1, 1);
        QTest::newRow("missing minutes") << QStringLiteral("1/2/2003 1234567") << QDateTime();
        QTest::newRow("empty") << QString() << QDateTime();
    }

    void stringToDate()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(StringToDate(text, Slash), expected);
    }

    void dateRoundTrip()
    {
        const QDateTime moment = DateValue::Make(1999, 1, 2, 3, 4, 5);
        QCOMPARE(StringToDate(DateToString(moment, true, Point), Point), moment);
        QCOMPARE(StringToDate(DateToString(moment, false, Slash), Slash), DateValue::Make(1999, 1, 2));
    }

    void formatSum_data()
    {
        QTest::addColumn<Currency>("sum");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands") << Currency::FromDouble(1234.5)
                                   << QStringLiteral("1") + Nbsp + QStringLiteral("234,50");
        QTest::newRow("zero") << Currency() << QStringLiteral("0,00");
        QTest::newRow("below one") << Currency::FromDouble(0.07) << QStringLiteral("0,07");
        QTest::newRow("half up") << Currency::FromDouble(2.345) << QStringLiteral("2,35");
        QTest::newRow("negative half") << Currency::FromDouble(-2.345) << QStringLiteral("-2,35");
        QTest::newRow("negative groups") << Currency(
            -1234567) << QStringLiteral("-1") + Nbsp + QStringLiteral("234") + Nbsp + QStringLiteral("567,00");
        QTest::newRow("exact group") << Currency(100000) << QStringLiteral("100") + Nbsp + QStringLiteral("000,00");
        QTest::newRow("rounds to zero") << Currency::FromDouble(-0.0049) << QStringLiteral("0,00");
        QTest::newRow("largest") << Currency::Max()
                                 << QStringLiteral("922 337 203 685 477,58").replace(QLatin1Char(' '), Nbsp);
    }

    void formatSum()
    {
        QFETCH(Currency, sum);
        QFETCH(QString, expected);
        QCOMPARE(FormatSum(sum), expected);
    }

    void formatDuration_data()
    {
        QTest::addColumn<qint32>("amount");
        QTest::addColumn<bool>("showHours");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hours") << 3725 << true << QStringLiteral("01:02:05");
        QTest::newRow("minutes") << 3725 << false << QStringLiteral("62:05");
        QTest::newRow("negative") << -65 << false << QStringLiteral("-01:05");
        QTest::newRow("zero") << 0 << false << QStringLiteral("00:00");
        QTest::newRow("under a minute") << 59 << false << QStringLiteral("00:59");
        QTest::newRow("whole day") << 86400 << true << QStringLiteral("24:00:00");
        QTest::newRow("past two digits") << 6000 << false << QStringLiteral("100:00");
        QTest::newRow("seance minutes") << 510 << false << QStringLiteral("08:30");
        QTest::newRow("lowest") << std::numeric_limits<qint32>::min() << false << QStringLiteral("-35791394:08");
    }

    void formatDuration()
    {
        QFETCH(qint32, amount);
        QFETCH(bool, showHours);
        QFETCH(QString, expected);
        QCOMPARE(FormatDuration(amount, showHours), expected);
    }
};

QTEST_GUILESS_MAIN(TestTextDates)
#include "tst_textdates.moc"
