#include "core/seancearithmetic.h"

#include "clock.h"
#include "datevalue.h"
#include "generalhelpers.h"

#include <limits>
#include <optional>

namespace
{
constexpr qint64 SecondsPerMinute = 60;
constexpr qint64 MinutesPerHour = 60;

const QString SumTooLarge = QStringLiteral("Сумма слишком велика!");
const QString DurationTooLong = QStringLiteral("Длительность сеанса слишком велика!");

bool FitsInt32(qint64 Value)
{
    return Value >= std::numeric_limits<qint32>::min() && Value <= std::numeric_limits<qint32>::max();
}

qint64 FloorDivide(qint64 Value, qint64 Divisor)
{
    const qint64 quotient = Value / Divisor;
    return (Value % Divisor != 0 && Value < 0) ? quotient - 1 : quotient;
}

// A price beyond the 32-bit range lies beyond every sum on its side, so its refusal is the answer.
bool CostsAtMost(Currency PriceForHour, qint64 Minutes, qint32 Sum)
{
    qint32 price = 0;
    QString beyondRange;
    if (!PriceForMinutes(PriceForHour, Minutes, price, beyondRange)) {
        return Minutes < 0;
    }
    return price <= Sum;
}

bool IsSet(const QDateTime &Moment)
{
    return Moment.isValid() && !DateValue::IsZero(Moment);
}

// Asks the source for the price once and keeps its answer for the later steps of one calculation.
class LazyPrice
{
public:
    explicit LazyPrice(const RatePriceSource &Source)
        : m_source(Source)
    {
    }

    bool Get(Currency &PriceForHour, QString &ErrString)
    {
        if (!m_price) {
            Currency price;
            if (!m_source(price, ErrString)) {
                return false;
            }
            m_price = price;
        }
        PriceForHour = *m_price;
        return true;
    }

private:
    const RatePriceSource &m_source;
    std::optional<Currency> m_price;
};

bool SumForPeriod(LazyPrice &Price, const QDateTime &Begin, const QDateTime &End, qint32 &Sum, QString &ErrString)
{
    Currency priceForHour;
    return Price.Get(priceForHour, ErrString)
           && PriceForMinutes(priceForHour, MinutesBetween(Begin, End), Sum, ErrString);
}

bool DurationForSum(LazyPrice &Price, qint32 Sum, qint32 &Minutes, QString &ErrString)
{
    Currency priceForHour;
    return Price.Get(priceForHour, ErrString) && MinutesForSum(priceForHour, Sum, Minutes, ErrString);
}
} // namespace

QDateTime MomentOrNow(const QDateTime &Moment)
{
    return IsSet(Moment) ? DateValue::Normalized(Moment) : Clock::Now();
}

qint64 MinutesBetween(const QDateTime &Begin, const QDateTime &End)
{
    const QDateTime zero = DateValue::Zero();
    return FloorDivide(zero.secsTo(DateValue::Normalized(End)), SecondsPerMinute)
           - FloorDivide(zero.secsTo(DateValue::Normalized(Begin)), SecondsPerMinute);
}

QDateTime AddMinutes(const QDateTime &Begin, qint64 Minutes)
{
    return DateValue::Normalized(Begin).addSecs(Minutes * SecondsPerMinute);
}

bool PriceForMinutes(Currency PriceForHour, qint64 Minutes, qint32 &Sum, QString &ErrString)
{
    // The minute price stays a floating value here, so 25 per hour for 7 minutes is 2.9167, not 7 × 0.4167.
    const double exact = PriceForHour.ToDouble() / MinutesPerHour * static_cast<double>(Minutes);
    if (!(exact > std::numeric_limits<qint32>::min() - 1.0 && exact < std::numeric_limits<qint32>::max())) {
        ErrString = SumTooLarge;
        return false;
    }
    Sum = static_cast<qint32>(RoundUpSum(Currency::FromDouble(exact), 0).Units() / Currency::Scale);
    return true;
}

bool MinutesForSum(Currency PriceForHour, qint32 Sum, qint32 &Minutes, QString &ErrString)
{
    if (PriceForHour <= Currency()) {
        ErrString = QStringLiteral("Цена минуты по тарифу равна нулю, длительность по сумме вычислить нельзя!");
        return false;
    }
    // The longest duration whose own price does not exceed Sum, so that pricing the result gives a sum
    // that buys the same minutes again. A minute price rounded to four places would make an hour at 100
    // per hour cost 100 and last 59 minutes. The exact quotient is at most a few minutes off the answer;
    // prices grow with the minutes, so stepping settles it.
    qint64 minutes = FloorDivide(qint64(Sum) * Currency::Scale * MinutesPerHour, PriceForHour.Units());
    while (CostsAtMost(PriceForHour, minutes + 1, Sum)) {
        ++minutes;
    }
    while (!CostsAtMost(PriceForHour, minutes, Sum)) {
        --minutes;
    }
    if (!FitsInt32(minutes)) {
        ErrString = DurationTooLong;
        return false;
    }
    Minutes = static_cast<qint32>(minutes);
    return true;
}

void CompleteSeanceTimes(const QDateTime &Begin, QDateTime &End, qint32 &Minutes)
{
    if (IsSet(End)) {
        const qint64 minutes = MinutesBetween(Begin, End);
        Minutes = static_cast<qint32>(
            qBound(qint64(std::numeric_limits<qint32>::min()), minutes, qint64(std::numeric_limits<qint32>::max())));
    } else {
        End = AddMinutes(Begin, Minutes);
    }
}

bool CalcSeanceAtPrice(const RatePriceSource &Price,
                       const QDateTime &Begin,
                       QDateTime &End,
                       qint32 &Minutes,
                       qint32 &Sum,
                       QString &ErrString)
{
    LazyPrice price(Price);
    if (Sum != 0) {
        if (!DurationForSum(price, Sum, Minutes, ErrString)) {
            return false;
        }
        End = AddMinutes(Begin, Minutes);
        return SumForPeriod(price, Begin, End, Sum, ErrString);
    }
    if (IsSet(End) && !FitsInt32(MinutesBetween(Begin, End))) {
        ErrString = DurationTooLong;
        return false;
    }
    CompleteSeanceTimes(Begin, End, Minutes);
    if (End < DateValue::Normalized(Begin)) {
        ErrString = QStringLiteral("Время окончания сеанса не может быть раньше его начала!");
        return false;
    }
    if (!SumForPeriod(price, Begin, End, Sum, ErrString)) {
        return false;
    }
    if (Sum != 0 && !DurationForSum(price, Sum, Minutes, ErrString)) {
        return false;
    }
    End = AddMinutes(Begin, Minutes);
    return true;
}

int WeekdayFromSunday(const QDateTime &Moment)
{
    // Qt counts Monday 1 ... Sunday 7.
    return Moment.date().dayOfWeek() % 7 + 1;
}

bool IsDayInMask(quint8 Mask, int Weekday)
{
    if (Weekday < 1 || Weekday > 7) {
        return false;
    }
    const int bit = Weekday == 1 ? 128 : 1 << (Weekday - 1);
    return (Mask & bit) != 0;
}

qint32 ChooseRateForTime(const QList<RateTerms> &Rates, const QDateTime &Moment, bool IsNight)
{
    const int weekday = WeekdayFromSunday(Moment);
    const QTime timeOfDay = Moment.time();
    qint32 lastOfKind = 0;
    qint32 freeMatch = 0;
    for (const RateTerms &rate : Rates) {
        if (rate.IsNight != (IsNight ? 1 : 0)) {
            continue;
        }
        lastOfKind = rate.Code;
        // A mask outside one byte holds no day.
        const bool validMask = rate.DaysOfWeek >= 0 && rate.DaysOfWeek <= 255;
        const bool matches = validMask && IsDayInMask(static_cast<quint8>(rate.DaysOfWeek), weekday)
                             && rate.TimeFrom <= timeOfDay && timeOfDay <= rate.TimeTo;
        if (!matches) {
            continue;
        }
        if (rate.PriceForHour != Currency()) {
            return rate.Code;
        }
        freeMatch = rate.Code;
    }
    return freeMatch >= 1 ? freeMatch : lastOfKind;
}

QDateTime JoinDateTime(const QDateTime &DatePart, const QDateTime &TimePart)
{
    if (!DatePart.isValid() || !TimePart.isValid()) {
        return {};
    }
    return QDateTime(DatePart.date(), TimePart.time(), Qt::UTC);
}

Currency RoundDownSum(Currency Value, qint32 Digits)
{
    // A four-decimal amount has nothing to cut beyond its fourth decimal.
    if (Digits >= 4) {
        return Value;
    }
    const Currency factor(PowerOfTenLong(Digits));
    return (Value * factor).Truncated() / factor;
}

qint32 PowerOfTenLong(qint32 Exponent)
{
    qint32 result = 1;
    for (qint32 i = 1; i <= Exponent; ++i) {
        if (result > std::numeric_limits<qint32>::max() / 10) {
            return std::numeric_limits<qint32>::max();
        }
        result *= 10;
    }
    return result;
}
