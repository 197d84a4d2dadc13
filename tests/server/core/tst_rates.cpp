#include "clock.h"
#include "core/rates.h"
#include "coredatabase.h"
#include "datevalue.h"

#include <QTest>

namespace
{
// 8 March 2026 is a Sunday, 9 March a Monday.
QDateTime March(int Day, int Hours, int Minutes = 0, int Seconds = 0)
{
    return DateValue::Make(2026, 3, Day, Hours, Minutes, Seconds);
}
} // namespace

class TestRates : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusals();
    void pricesAndDurations();
    void freeRateHasNoDurationForASum();
    void calculator();
    void ratePriority();
    void weekdayMaskAndWindow();
    void noRateInForce();
    void rateForNowWhenNoMoment();
    void freeAndNight();
    void names();
    void newNames();

private:
    std::unique_ptr<CoreDatabase> m_db;
};

void TestRates::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
}

void TestRates::cleanup()
{
    Clock::SetNow(QDateTime());
    m_db.reset();
}

void TestRates::refusals()
{
    qint32 sum = 0;
    qint32 minutes = 0;
    QString err;
    QVERIFY(!GetSumForDuration(0, March(9, 10), March(9, 11), sum, err));
    QCOMPARE(err, QStringLiteral("РЕЖИМ АВТОМАТИЧЕСКОГО ТАРИФА ЕЩЁ НЕ РЕАЛИЗОВАН!"));
    QVERIFY(!GetDurationForSum(0, 10, minutes, err));
    QCOMPARE(err, QStringLiteral("РЕЖИМ АВТОМАТИЧЕСКОГО ТАРИФА ЕЩЁ НЕ РЕАЛИЗОВАН!"));
    QVERIFY(!GetSumForDuration(77, March(9, 10), March(9, 11), sum, err));
    QCOMPARE(err, QStringLiteral("Тариф не найден!"));
    QVERIFY(!GetDurationForSum(-1, 10, minutes, err));
    QCOMPARE(err, QStringLiteral("Тариф не найден!"));
}

void TestRates::pricesAndDurations()
{
    const qint32 thirty = m_db->AddRate(QStringLiteral("30"), 0, 30);
    const qint32 twentyFive = m_db->AddRate(QStringLiteral("25"), 0, 25);
    qint32 sum = 0;
    qint32 minutes = 0;
    QString err;
    QVERIFY(GetSumForDuration(thirty, March(9, 10, 0, 30), March(9, 10, 7, 10), sum, err));
    QCOMPARE(sum, 4);
    QVERIFY(GetDurationForSum(thirty, 4, minutes, err));
    QCOMPARE(minutes, 8);
    QVERIFY(GetSumForDuration(twentyFive, March(9, 10), March(9, 10, 7), sum, err));
    QCOMPARE(sum, 3);
    QVERIFY(GetDurationForSum(twentyFive, 3, minutes, err));
    QCOMPARE(minutes, 7);
}

void TestRates::freeRateHasNoDurationForASum()
{
    const qint32 free = m_db->AddRate(QStringLiteral("Бесплатный"), 0, 0);
    qint32 minutes = 5;
    QString err;
    QVERIFY(!GetDurationForSum(free, 10, minutes, err));
    QCOMPARE(err, QStringLiteral("Цена минуты по тарифу равна нулю, длительность по сумме вычислить нельзя!"));
    QCOMPARE(minutes, 5);
}

void TestRates::calculator()
{
    const qint32 thirty = m_db->AddRate(QStringLiteral("30"), 0, 30);
    const qint32 thirtyFive = m_db->AddRate(QStringLiteral("35"), 0, 35);
    const qint32 free = m_db->AddRate(QStringLiteral("Бесплатный"), 0, 0);
    QString err;

    QDateTime end = March(9, 10, 7, 10);
    qint32 minutes = 0;
    qint32 sum = 0;
    QVERIFY(CalcSeance(thirty, March(9, 10, 0, 30), end, minutes, sum, err));
    QCOMPARE(end, March(9, 10, 8, 30));
    QCOMPARE(minutes, 8);
    QCOMPARE(sum, 4);

    end = QDateTime();
    minutes = 0;
    sum = 5;
    QVERIFY(CalcSeance(thirty, March(9, 10), end, minutes, sum, err));
    QCOMPARE(end, March(9, 10, 10));
    QCOMPARE(minutes, 10);
    QCOMPARE(sum, 5);

    end = QDateTime();
    sum = 10207;
    QVERIFY(CalcSeance(thirtyFive, March(9, 10), end, minutes, sum, err));
    QCOMPARE(minutes, 17497);
    QCOMPARE(sum, 10207);

    end = QDateTime();
    minutes = 90;
    sum = 0;
    QVERIFY(CalcSeance(free, March(9, 10), end, minutes, sum, err));
    QCOMPARE(end, March(9, 11, 30));
    QCOMPARE(minutes, 90);
    QCOMPARE(sum, 0);

    end = March(9, 9);
    QVERIFY(!CalcSeance(thirty, March(9, 10), end, minutes, sum, err));
    QCOMPARE(err, QStringLiteral("Время окончания сеанса не может быть раньше его начала!"));
}

void TestRates::ratePriority()
{
    m_db->AddRate(QStringLiteral("Ночь"), 1, 50);
    const qint32 free = m_db->AddRate(QStringLiteral("Бесплатный"), 0, 0);
    const qint32 priced = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    m_db->AddRate(QStringLiteral("Дневной 2"), 0, 40);
    QCOMPARE(GetRateForTime(March(9, 15), false), priced);
    QVERIFY(free != priced);
}

void TestRates::weekdayMaskAndWindow()
{
    const qint32 weekdays = m_db->AddRate(QStringLiteral("Будни"), 0, 30, 127);
    const qint32 evening = m_db->AddRate(QStringLiteral("Вечер"), 0, 40, 254, QTime(18, 0), QTime(23, 59, 59));
    const qint32 free = m_db->AddRate(QStringLiteral("Свободный"), 0, 0);
    const qint32 free2 = m_db->AddRate(QStringLiteral("Свободный 2"), 0, 0);
    QCOMPARE(GetRateForTime(March(9, 15), false), weekdays);
    QCOMPARE(GetRateForTime(March(8, 15), false), free2);
    QCOMPARE(GetRateForTime(March(8, 18), false), evening);
    QVERIFY(free != free2);
}

void TestRates::noRateInForce()
{
    QCOMPARE(GetRateForTime(March(9, 15), false), 0);
    m_db->AddRate(QStringLiteral("Утро"), 0, 30, 254, QTime(6, 0), QTime(9, 0));
    const qint32 lastDay = m_db->AddRate(QStringLiteral("Полдень"), 0, 30, 254, QTime(12, 0), QTime(13, 0));
    const qint32 night = m_db->AddRate(QStringLiteral("Ночь"), 1, 30, 0);
    QCOMPARE(GetRateForTime(March(9, 15), false), lastDay);
    QCOMPARE(GetRateForTime(March(9, 15), true), night);
}

void TestRates::rateForNowWhenNoMoment()
{
    m_db->AddRate(QStringLiteral("Будни"), 0, 30, 127);
    const qint32 sunday = m_db->AddRate(QStringLiteral("Воскресенье"), 0, 30, 128);
    Clock::SetNow(March(8, 12));
    QCOMPARE(GetRateForTime(QDateTime(), false), sunday);
}

void TestRates::freeAndNight()
{
    const qint32 free = m_db->AddRate(QStringLiteral("Бесплатный"), 0, 0);
    const qint32 day = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    const qint32 night = m_db->AddRate(QStringLiteral("Ночь"), 1, 300);
    QVERIFY(IsFreeRate(free));
    QVERIFY(!IsFreeRate(day));
    QVERIFY(!IsFreeRate(999));

    const qint32 computer = m_db->AddComputer(1);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 nightSeance = m_db->AddSeance(computer, desktop, night, March(9, 23), March(10, 8));
    const qint32 daySeance = m_db->AddSeance(computer, desktop, day, March(9, 10), March(9, 11));
    QVERIFY(IsNightSeance(nightSeance));
    QVERIFY(!IsNightSeance(daySeance));
    QVERIFY(!IsNightSeance(12345));
    QVERIFY(IsNightSeance(m_db->Record(QStringLiteral("Seances"), nightSeance)));
    QVERIFY(!IsNightSeance(std::shared_ptr<Rollstrake::DBRecord>()));
}

void TestRates::names()
{
    const qint32 rate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
    const qint32 desktop = m_db->AddDesktop(QStringLiteral("Игры"));
    QCOMPARE(GetRateName(rate), QStringLiteral("Дневной"));
    QCOMPARE(GetDesktopName(desktop), QStringLiteral("Игры"));
    QCOMPARE(GetRateName(0), QString());
    QCOMPARE(GetDesktopName(999), QString());
}

void TestRates::newNames()
{
    QCOMPARE(NewRateName(), QStringLiteral("Новый тариф 1"));
    m_db->AddRate(QStringLiteral("Новый тариф 1"), 0, 30);
    m_db->AddRate(QStringLiteral("Новый тариф 3"), 0, 30);
    QCOMPARE(NewRateName(), QStringLiteral("Новый тариф 2"));
    QCOMPARE(NewServiceName(), QStringLiteral("Новая услуга 1"));
    m_db->Add(QStringLiteral("ServiceTypes"), {{QStringLiteral("Name"), QStringLiteral("Новая услуга 1")}});
    QCOMPARE(NewServiceName(), QStringLiteral("Новая услуга 2"));
}

QTEST_MAIN(TestRates)
#include "tst_rates.moc"
