#include "core/suminwords.h"

#include <QTest>

class TestSumInWords : public QObject
{
    Q_OBJECT

private slots:

    void sumInWords_data()
    {
        QTest::addColumn<Currency>("sum");
        QTest::addColumn<QString>("expected");
        QTest::newRow("report total") << Currency::FromDouble(1234.50)
                                      << QStringLiteral("( Одна тысяча двести тридцать четыре Руб пятьдесят Коп  )");
        QTest::newRow("kopecks of a services total")
            << Currency::FromUnits(23455000) << QStringLiteral("( Две тысячи триста сорок пять Руб пятьдесят Коп  )");
        QTest::newRow("zero") << Currency() << QStringLiteral("( Ноль Руб ноль Коп  )");
        QTest::newRow("kopecks round up to a rouble")
            << Currency::FromDouble(0.995) << QStringLiteral("( Один Руб ноль Коп  )");
        QTest::newRow("kopecks round down")
            << Currency::FromDouble(12.3449) << QStringLiteral("( Двенадцать Руб тридцать четыре Коп  )");
        QTest::newRow("negative") << Currency::FromDouble(-21.05)
                                  << QStringLiteral("( Минус двадцать один Руб пять Коп  )");
        QTest::newRow("negative kopecks only")
            << Currency::FromDouble(-0.5) << QStringLiteral("( Минус ноль Руб пятьдесят Коп  )");
        QTest::newRow("largest") << Currency::Max()
                                 << QStringLiteral("( Девятьсот двадцать два триллиона триста тридцать семь миллиардов "
                                                   "двести три миллиона шестьсот восемьдесят пять тысяч четыреста "
                                                   "семьдесят семь Руб пятьдесят восемь Коп  )");
    }

    void sumInWords()
    {
        QFETCH(Currency, sum);
        QFETCH(QString, expected);
        QCOMPARE(SumInWords(sum), expected);
    }

    void numberInWords_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two million") << qint64(2'000'000) << QStringLiteral("два миллиона ");
        QTest::newRow("eleven million") << qint64(11'000'000) << QStringLiteral("одиннадцать миллионов ");
        QTest::newRow("twenty-one thousand") << qint64(21'000) << QStringLiteral("двадцать одна тысяча ");
        QTest::newRow("hundred thousand") << qint64(100'000) << QStringLiteral("сто тысяч ");
        QTest::newRow("three thousand") << qint64(3'000) << QStringLiteral("три тысячи ");
        QTest::newRow("five thousand") << qint64(5'000) << QStringLiteral("пять тысяч ");
        QTest::newRow("fourteen thousand") << qint64(14'000) << QStringLiteral("четырнадцать тысяч ");
        QTest::newRow("512") << qint64(512) << QStringLiteral("пятьсот двенадцать ");
        QTest::newRow("40") << qint64(40) << QStringLiteral("сорок ");
        QTest::newRow("90") << qint64(90) << QStringLiteral("девяносто ");
        QTest::newRow("teens") << qint64(419) << QStringLiteral("четыреста девятнадцать ");
        QTest::newRow("tens") << qint64(876) << QStringLiteral("восемьсот семьдесят шесть ");
        QTest::newRow("one billion") << qint64(1'000'000'001) << QStringLiteral("один миллиард один ");
        QTest::newRow("trillions") << qint64(919'999'999'999'999)
                                   << QStringLiteral("девятьсот девятнадцать триллионов девятьсот девяносто девять "
                                                     "миллиардов девятьсот девяносто девять миллионов девятьсот "
                                                     "девяносто девять тысяч девятьсот девяносто девять ");
        QTest::newRow("three trillion") << qint64(3'000'000'000'000) << QStringLiteral("три триллиона ");
        QTest::newRow("negative") << qint64(-2) << QStringLiteral("минус два ");
    }

    void numberInWords()
    {
        QFETCH(qint64, number);
        QFETCH(QString, expected);
        QCOMPARE(NumberInWords(Currency::FromUnits(number * Currency::Scale)), expected);
    }
};

QTEST_GUILESS_MAIN(TestSumInWords)
#include "tst_suminwords.moc"
