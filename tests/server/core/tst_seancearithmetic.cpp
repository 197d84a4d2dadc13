#include "clock.h"
#include "core/seancearithmetic.h"
#include "datevalue.h"

#include <QRandomGenerator>
#include <QTest>

namespace
{
QDateTime At(int Hours, int Minutes, int Seconds = 0)
{
    return DateValue::Make(2026, 3, 5, Hours, Minutes, Seconds);
}

Currency Price(double PerHour)
{
    return Currency::FromDouble(PerHour);
}

RatePriceSource FixedPrice(double PerHour)
{
    return [PerHour](Currency &PriceForHour, QString &) {
        PriceForHour = Price(PerHour);
        return true;
    };
}

RateTerms Rate(qint32 Code,
               qint32 IsNight,
               double PerHour,
               qint32 Mask = 254,
               QTime From = QTime(0, 0),
               QTime To = QTime(23, 59, 59))
{
    return RateTerms{Code, IsNight, Mask, From, To, Price(PerHour)};
}

constexpr qint64 MinutesPerDay = 1440;
constexpr qint64 BoxMinutes = 59999;
// Each price gets every Stride-th minute of a day and a share of the longer sample, shifted by the
// price's place in the sweep, so that neighbouring prices cover every minute between them.
constexpr int Stride = 16;

QList<qint64> LongDurations()
{
    QList<qint64> durations;
    QRandomGenerator random(BoxMinutes);
    for (int i = 0; i < 20 * Stride; ++i) {
        durations << random.bounded(MinutesPerDay, BoxMinutes + 1);
    }
    return durations;
}

QList<qint64> SweptDurations(const QList<qint64> &Long, int Place)
{
    QList<qint64> durations;
    for (qint64 minutes = 1 + Place % Stride; minutes < MinutesPerDay; minutes += Stride) {
        durations << minutes;
    }
    for (qsizetype i = Place % Stride; i < Long.size(); i += Stride) {
        durations << Long.at(i);
    }
    return durations << BoxMinutes;
}

qint32 PriceOf(Currency PerHour, qint64 Minutes)
{
    qint32 sum = 0;
    QString err;
    return PriceForMinutes(PerHour, Minutes, sum, err) ? sum : -1;
}

// Empty when Sum settles at PerHour: the minutes it buys cost no more than Sum (exactly Sum when it is
// a duration's price), one minute more would cost more, and their price buys the same minutes again.
QString SettleFault(Currency PerHour, qint32 Sum, bool IsAPrice)
{
    qint32 minutes = 0;
    qint32 again = 0;
    QString err;
    if (!MinutesForSum(PerHour, Sum, minutes, err)) {
        return err;
    }
    const qint32 price = PriceOf(PerHour, minutes);
    if (price > Sum || (IsAPrice && price != Sum) || PriceOf(PerHour, minutes + 1) <= Sum) {
        return QStringLiteral("%1 buys %2 minutes costing %3").arg(Sum).arg(minutes).arg(price);
    }
    if (!MinutesForSum(PerHour, price, again, err) || again != minutes) {
        return QStringLiteral("%1 minutes cost %2, which buys %3").arg(minutes).arg(price).arg(again);
    }
    return {};
}
} // namespace

class TestSeanceArithmetic : public QObject
{
    Q_OBJECT

private slots:
    void minutesBetween_data();
    void minutesBetween();
    void priceForMinutes_data();
    void priceForMinutes();
    void minutesForSum_data();
    void minutesForSum();
    void settlesAtEveryPrice_data();
    void settlesAtEveryPrice();
    void refusesWhatDoesNotFit();
    void calcSeance_data();
    void calcSeance();
    void calcSeanceReportsWrongEndBeforeMissingRate();
    void calcSeanceAsksForThePriceOnce();
    void completeSeanceTimes();
    void zeroMomentMeansNow();
    void isDayInMask_data();
    void isDayInMask();
    void chooseRateForTime_data();
    void chooseRateForTime();
    void joinDateTime();
    void roundDownSum_data();
    void roundDownSum();
    void powerOfTenLong();
};

void TestSeanceArithmetic::minutesBetween_data()
{
    QTest::addColumn<QDateTime>("begin");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<qint64>("minutes");
    QTest::newRow("boundary passed") << At(10, 0, 59) << At(10, 1, 0) << qint64(1);
    QTest::newRow("no boundary") << At(10, 0, 0) << At(10, 0, 59) << qint64(0);
    QTest::newRow("seconds ignored") << At(10, 0, 30) << At(10, 7, 10) << qint64(7);
    QTest::newRow("backwards") << At(10, 7, 10) << At(10, 0, 30) << qint64(-7);
    QTest::newRow("before the zero date")
        << DateValue::Make(1899, 12, 29, 23, 59, 30) << DateValue::Make(1899, 12, 30) << qint64(1);
}

void TestSeanceArithmetic::minutesBetween()
{
    QFETCH(QDateTime, begin);
    QFETCH(QDateTime, end);
    QFETCH(qint64, minutes);
    QCOMPARE(MinutesBetween(begin, end), minutes);
}

void TestSeanceArithmetic::priceForMinutes_data()
{
    QTest::addColumn<double>("perHour");
    QTest::addColumn<qint64>("minutes");
    QTest::addColumn<qint32>("sum");
    QTest::newRow("30 per hour, 7 minutes") << 30.0 << qint64(7) << 4;
    QTest::newRow("25 per hour, 7 minutes") << 25.0 << qint64(7) << 3;
    QTest::newRow("35 per hour, 17498 minutes") << 35.0 << qint64(17498) << 10208;
    QTest::newRow("whole hour") << 30.0 << qint64(60) << 30;
    QTest::newRow("free rate") << 0.0 << qint64(90) << 0;
    QTest::newRow("no time") << 30.0 << qint64(0) << 0;
    QTest::newRow("negative period rounds up towards zero") << 30.0 << qint64(-7) << -3;
}

void TestSeanceArithmetic::priceForMinutes()
{
    QFETCH(double, perHour);
    QFETCH(qint64, minutes);
    QFETCH(qint32, sum);
    qint32 result = -1;
    QString err;
    QVERIFY(PriceForMinutes(Price(perHour), minutes, result, err));
    QCOMPARE(result, sum);
    QVERIFY(err.isEmpty());
}

void TestSeanceArithmetic::minutesForSum_data()
{
    QTest::addColumn<double>("perHour");
    QTest::addColumn<qint32>("sum");
    QTest::addColumn<qint32>("minutes");
    QTest::newRow("4 roubles at 30") << 30.0 << 4 << 8;
    QTest::newRow("3 roubles at 25") << 25.0 << 3 << 7;
    QTest::newRow("10207 roubles at 35") << 35.0 << 10207 << 17497;
    QTest::newRow("100 roubles at 100") << 100.0 << 100 << 60;
    QTest::newRow("99 roubles at 100") << 100.0 << 99 << 59;
    QTest::newRow("a minute costs more than the sum") << 100.0 << 1 << 0;
    QTest::newRow("minute price below four places") << 0.0029 << 1 << 20690;
    QTest::newRow("5 roubles at 30") << 30.0 << 5 << 10;
}

void TestSeanceArithmetic::minutesForSum()
{
    QFETCH(double, perHour);
    QFETCH(qint32, sum);
    QFETCH(qint32, minutes);
    qint32 result = -1;
    QString err;
    QVERIFY(MinutesForSum(Price(perHour), sum, result, err));
    QCOMPARE(result, minutes);
}

void TestSeanceArithmetic::settlesAtEveryPrice_data()
{
    QTest::addColumn<QList<Currency>>("prices");
    QList<Currency> whole;
    for (int perHour = 1; perHour <= 9999; ++perHour) {
        whole << Currency(perHour);
    }
    QList<Currency> fractional;
    QRandomGenerator random(24);
    for (int i = 0; i < 3000; ++i) {
        fractional << Currency::FromUnits(random.bounded(qint64(Currency::Scale), qint64(10000 * Currency::Scale)));
    }
    QTest::newRow("every whole price") << whole;
    QTest::newRow("random four-decimal prices") << fractional;
}

void TestSeanceArithmetic::settlesAtEveryPrice()
{
    QFETCH(QList<Currency>, prices);
    const QList<qint64> longDurations = LongDurations();
    for (qsizetype place = 0; place < prices.size(); ++place) {
        const Currency perHour = prices.at(place);
        for (qint64 minutes : SweptDurations(longDurations, static_cast<int>(place))) {
            // A duration priced, and the same number typed as a sum.
            const qint32 price = PriceOf(perHour, minutes);
            QString fault = SettleFault(perHour, price, true);
            if (fault.isEmpty()) {
                fault = SettleFault(perHour, static_cast<qint32>(minutes), false);
            }
            if (!fault.isEmpty()) {
                QFAIL(qPrintable(QStringLiteral("%1 per hour: ").arg(perHour.ToString()) + fault));
            }
        }
        // Through the calculator: what it gives, given again, comes back unchanged.
        QDateTime end;
        qint32 minutes = 60;
        qint32 sum = 0;
        const auto price = [perHour](Currency &PriceForHour, QString &) {
            PriceForHour = perHour;
            return true;
        };
        QString err;
        QVERIFY(CalcSeanceAtPrice(price, At(10, 0), end, minutes, sum, err));
        const QDateTime settledEnd = end;
        const qint32 settledMinutes = minutes;
        end = QDateTime();
        QVERIFY(CalcSeanceAtPrice(price, At(10, 0), end, minutes, sum, err));
        QCOMPARE(end, settledEnd);
        QCOMPARE(minutes, settledMinutes);
        if (!perHour.HasFraction()) {
            QCOMPARE(minutes, 60);
            QCOMPARE(Currency(sum), perHour);
        }
    }
}

void TestSeanceArithmetic::refusesWhatDoesNotFit()
{
    qint32 value = 77;
    QString err;
    QVERIFY(!MinutesForSum(Price(0), 10, value, err));
    QCOMPARE(err, QStringLiteral("Цена минуты по тарифу равна нулю, длительность по сумме вычислить нельзя!"));
    err.clear();
    QVERIFY(!MinutesForSum(Price(-30), 10, value, err));
    QVERIFY(!err.isEmpty());
    err.clear();
    QVERIFY(!MinutesForSum(Price(0.01), 2000000000, value, err));
    QCOMPARE(err, QStringLiteral("Длительность сеанса слишком велика!"));
    err.clear();
    QVERIFY(!PriceForMinutes(Price(1000000), 1000000000, value, err));
    QCOMPARE(err, QStringLiteral("Сумма слишком велика!"));
    QCOMPARE(value, 77);

    QDateTime end = DateValue::Make(9000, 1, 1);
    qint32 minutes = 0;
    qint32 sum = 0;
    err.clear();
    QVERIFY(!CalcSeanceAtPrice(FixedPrice(30), At(10, 0), end, minutes, sum, err));
    QCOMPARE(err, QStringLiteral("Длительность сеанса слишком велика!"));
}

void TestSeanceArithmetic::calcSeance_data()
{
    QTest::addColumn<double>("perHour");
    QTest::addColumn<QDateTime>("begin");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<qint32>("minutes");
    QTest::addColumn<qint32>("sum");
    QTest::addColumn<QDateTime>("expectedEnd");
    QTest::addColumn<qint32>("expectedMinutes");
    QTest::addColumn<qint32>("expectedSum");
    const QDateTime none;
    QTest::newRow("from an end, stretched to the price")
        << 30.0 << At(10, 0, 30) << At(10, 7, 10) << 0 << 0 << At(10, 8, 30) << 8 << 4;
    QTest::newRow("from minutes") << 30.0 << At(10, 0) << none << 7 << 0 << At(10, 8) << 8 << 4;
    QTest::newRow("from minutes at 25") << 25.0 << At(10, 0) << none << 7 << 0 << At(10, 7) << 7 << 3;
    QTest::newRow("from a sum") << 30.0 << At(10, 0, 15) << none << 0 << 5 << At(10, 10, 15) << 10 << 5;
    QTest::newRow("from a sum at an inexact minute price")
        << 35.0 << At(10, 0) << none << 0 << 10207 << At(10, 0).addSecs(17497 * 60) << 17497 << 10207;
    QTest::newRow("an hour at 100") << 100.0 << At(10, 0) << none << 60 << 0 << At(11, 0) << 60 << 100;
    QTest::newRow("two hours at 70 from an end") << 70.0 << At(10, 0) << At(12, 0) << 0 << 0 << At(12, 0) << 120 << 140;
    QTest::newRow("a sum overrides the end") << 30.0 << At(10, 0) << At(12, 0) << 33 << 5 << At(10, 10) << 10 << 5;
    QTest::newRow("free rate keeps the duration") << 0.0 << At(10, 0) << none << 90 << 0 << At(11, 30) << 90 << 0;
    QTest::newRow("free rate from an end")
        << 0.0 << At(10, 0, 30) << At(10, 7, 10) << 0 << 0 << At(10, 7, 30) << 7 << 0;
    QTest::newRow("end equal to begin") << 30.0 << At(10, 0) << At(10, 0) << 0 << 0 << At(10, 0) << 0 << 0;
    QTest::newRow("zero date is no end") << 30.0 << At(10, 0) << DateValue::Zero() << 60 << 0 << At(11, 0) << 60 << 30;
}

void TestSeanceArithmetic::calcSeance()
{
    QFETCH(double, perHour);
    QFETCH(QDateTime, begin);
    QFETCH(QDateTime, end);
    QFETCH(qint32, minutes);
    QFETCH(qint32, sum);
    QString err;
    QVERIFY(CalcSeanceAtPrice(FixedPrice(perHour), begin, end, minutes, sum, err));
    QTEST(end, "expectedEnd");
    QTEST(minutes, "expectedMinutes");
    QTEST(sum, "expectedSum");
    QVERIFY(err.isEmpty());
}

void TestSeanceArithmetic::calcSeanceReportsWrongEndBeforeMissingRate()
{
    const RatePriceSource missing = [](Currency &, QString &ErrString) {
        ErrString = QStringLiteral("Тариф не найден!");
        return false;
    };
    QDateTime end = At(9, 59);
    qint32 minutes = 0;
    qint32 sum = 0;
    QString err;
    QVERIFY(!CalcSeanceAtPrice(missing, At(10, 0), end, minutes, sum, err));
    QCOMPARE(err, QStringLiteral("Время окончания сеанса не может быть раньше его начала!"));

    end = QDateTime();
    minutes = 10;
    QVERIFY(!CalcSeanceAtPrice(missing, At(10, 0), end, minutes, sum, err));
    QCOMPARE(err, QStringLiteral("Тариф не найден!"));

    sum = 5;
    err.clear();
    QVERIFY(!CalcSeanceAtPrice(missing, At(10, 0), end, minutes, sum, err));
    QCOMPARE(err, QStringLiteral("Тариф не найден!"));
}

void TestSeanceArithmetic::calcSeanceAsksForThePriceOnce()
{
    int asked = 0;
    const RatePriceSource counting = [&asked](Currency &PriceForHour, QString &) {
        ++asked;
        PriceForHour = Price(30);
        return true;
    };
    QDateTime end;
    qint32 minutes = 7;
    qint32 sum = 0;
    QString err;
    QVERIFY(CalcSeanceAtPrice(counting, At(10, 0), end, minutes, sum, err));
    QCOMPARE(asked, 1);
}

void TestSeanceArithmetic::completeSeanceTimes()
{
    QDateTime end = At(10, 7, 10);
    qint32 minutes = 99;
    CompleteSeanceTimes(At(10, 0, 30), end, minutes);
    QCOMPARE(minutes, 7);
    QCOMPARE(end, At(10, 7, 10));

    end = QDateTime();
    minutes = 15;
    CompleteSeanceTimes(At(10, 0, 30), end, minutes);
    QCOMPARE(end, At(10, 15, 30));
}

void TestSeanceArithmetic::zeroMomentMeansNow()
{
    Clock::SetNow(At(14, 30));
    QCOMPARE(MomentOrNow(QDateTime()), At(14, 30));
    QCOMPARE(MomentOrNow(DateValue::Zero()), At(14, 30));
    QCOMPARE(MomentOrNow(At(9, 0)), At(9, 0));
    Clock::SetNow(QDateTime());
}

void TestSeanceArithmetic::isDayInMask_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("weekday");
    QTest::addColumn<bool>("inMask");
    for (int day = 1; day <= 7; ++day) {
        QTest::addRow("254, day %d", day) << 254 << day << true;
        QTest::addRow("127, day %d", day) << 127 << day << (day != 1);
        QTest::addRow("1, day %d", day) << 1 << day << false;
    }
    QTest::newRow("Monday alone") << 2 << 2 << true;
    QTest::newRow("Monday alone on Tuesday") << 2 << 3 << false;
    QTest::newRow("Sunday alone") << 128 << 1 << true;
    QTest::newRow("Saturday alone") << 64 << 7 << true;
    QTest::newRow("no weekday 0") << 255 << 0 << false;
}

void TestSeanceArithmetic::isDayInMask()
{
    QFETCH(int, mask);
    QFETCH(int, weekday);
    QFETCH(bool, inMask);
    QCOMPARE(IsDayInMask(static_cast<quint8>(mask), weekday), inMask);
}

void TestSeanceArithmetic::chooseRateForTime_data()
{
    QTest::addColumn<QList<RateTerms>>("rates");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<bool>("isNight");
    QTest::addColumn<qint32>("code");
    // 8 March 2026 is a Sunday, 9 March a Monday.
    const QDateTime sunday = DateValue::Make(2026, 3, 8, 15, 0);
    const QDateTime monday = DateValue::Make(2026, 3, 9, 15, 0);
    QTest::newRow("free then priced: priced")
        << QList<RateTerms>{Rate(1, 0, 0), Rate(2, 0, 30)} << monday << false << 2;
    QTest::newRow("two priced: first") << QList<RateTerms>{Rate(1, 0, 30), Rate(2, 0, 40)} << monday << false << 1;
    QTest::newRow("only free: last") << QList<RateTerms>{Rate(1, 0, 0), Rate(2, 0, 0), Rate(3, 0, 30, 0)} << monday
                                     << false << 2;
    QTest::newRow("none of the kind") << QList<RateTerms>{Rate(1, 1, 30)} << monday << false << 0;
    QTest::newRow("none in force: last of kind")
        << QList<RateTerms>{Rate(1, 0, 30, 0), Rate(2, 1, 30), Rate(3, 0, 30, 0), Rate(4, 1, 30)} << monday << false
        << 3;
    QTest::newRow("127 never on Sunday") << QList<RateTerms>{Rate(1, 0, 30, 127), Rate(2, 0, 40, 254)} << sunday
                                         << false << 2;
    QTest::newRow("127 on Monday") << QList<RateTerms>{Rate(1, 0, 30, 127), Rate(2, 0, 40, 254)} << monday << false
                                   << 1;
    QTest::newRow("window bounds inclusive")
        << QList<RateTerms>{Rate(1, 0, 30, 254, QTime(15, 0), QTime(16, 0)), Rate(2, 0, 40)} << monday << false << 1;
    QTest::newRow("window ends before") << QList<RateTerms>{Rate(1, 0, 30, 254, QTime(9, 0), QTime(14, 59, 59)),
                                                            Rate(2, 0, 40)}
                                        << monday << false << 2;
    QTest::newRow("window does not wrap")
        << QList<RateTerms>{Rate(1, 0, 30, 254, QTime(22, 0), QTime(6, 0)), Rate(2, 0, 40)} << monday << false << 2;
    QTest::newRow("night rates apart") << QList<RateTerms>{Rate(1, 0, 30), Rate(2, 1, 100)} << monday << true << 2;
    QTest::newRow("IsNight 2 is neither") << QList<RateTerms>{Rate(1, 2, 30)} << monday << true << 0;
    QTest::newRow("mask beyond a byte holds no day")
        << QList<RateTerms>{Rate(1, 0, 30, 510), Rate(2, 0, 40)} << monday << false << 2;
    QTest::newRow("any moment of any day")
        << QList<RateTerms>{Rate(1, 0, 30)} << DateValue::Make(2026, 3, 8, 23, 59, 59) << false << 1;
}

void TestSeanceArithmetic::chooseRateForTime()
{
    QFETCH(QList<RateTerms>, rates);
    QFETCH(QDateTime, moment);
    QFETCH(bool, isNight);
    QTEST(ChooseRateForTime(rates, moment, isNight), "code");
}

void TestSeanceArithmetic::joinDateTime()
{
    QCOMPARE(JoinDateTime(DateValue::Make(2026, 3, 5, 17, 45, 12), DateValue::Make(1899, 12, 30, 8, 30, 5)),
             DateValue::Make(2026, 3, 5, 8, 30, 5));
    QVERIFY(JoinDateTime(QDateTime(), At(8, 0)).isNull());
}

void TestSeanceArithmetic::roundDownSum_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole") << 7.1994 << 0 << 7.0;
    QTest::newRow("negative towards zero") << -7.9 << 0 << -7.0;
    QTest::newRow("two digits") << 12.3456 << 2 << 12.34;
    QTest::newRow("negative digits as 0") << 12.9 << -2 << 12.0;
    QTest::newRow("four digits keep all") << 1.2345 << 4 << 1.2345;
    QTest::newRow("beyond four digits") << 1.2345 << 12 << 1.2345;
}

void TestSeanceArithmetic::roundDownSum()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(double, expected);
    QCOMPARE(RoundDownSum(Currency::FromDouble(value), digits), Currency::FromDouble(expected));
}

void TestSeanceArithmetic::powerOfTenLong()
{
    QCOMPARE(PowerOfTenLong(-3), 1);
    QCOMPARE(PowerOfTenLong(0), 1);
    QCOMPARE(PowerOfTenLong(1), 10);
    QCOMPARE(PowerOfTenLong(9), 1000000000);
    QCOMPARE(PowerOfTenLong(10), std::numeric_limits<qint32>::max());
}

QTEST_GUILESS_MAIN(TestSeanceArithmetic)
#include "tst_seancearithmetic.moc"
