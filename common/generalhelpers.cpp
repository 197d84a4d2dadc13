#include "generalhelpers.h"

#include "datevalue.h"
#include "leadingnumber.h"

#include <algorithm>
#include <limits>

namespace
{
// A GNU extension that g++ and clang share, marked as such so that -pedantic accepts it: room for a
// sum's units and their rounding beyond 64 bits.
__extension__ using Int128 = __int128;

const QTime LastSecondOfDay(23, 59, 59);
constexpr int DecimalBase = 10;

QDate DateOf(const QDateTime &value)
{
    return value.isValid() ? value.date() : DateValue::Zero().date();
}

qint32 Compare(const QDateTime &a, const QDateTime &b)
{
    if (a == b) {
        return 0;
    }
    return a < b ? 1 : 2;
}

std::int64_t Saturate(Int128 units)
{
    return static_cast<std::int64_t>(
        std::clamp<Int128>(units, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()));
}

Int128 Magnitude(Currency value)
{
    const Int128 units = value.Units();
    return units < 0 ? -units : units;
}

bool IsSaturated(Currency value)
{
    return value == Currency::Max() || value == Currency::Min();
}

// Base to the power steps by repeated currency multiplication. Once a step leaves the magnitude
// unchanged (saturated, stuck at a rounding fixed point, 0 or 1) every further step only flips the
// sign by Base's sign, so the loop stops there.
Currency RepeatedProduct(Currency Base, qint64 steps)
{
    Currency product(1);
    for (qint64 step = 0; step < steps; ++step) {
        const Currency next = product * Base;
        if (IsSaturated(next) || Magnitude(next) == Magnitude(product)) {
            const bool flip = Base < Currency() && (steps - step - 1) % 2 != 0;
            if (IsSaturated(next)) {
                return (next == Currency::Max()) != flip ? Currency::Max() : Currency::Min();
            }
            return flip ? -next : next;
        }
        product = next;
    }
    return product;
}
} // namespace

QDateTime GetDayBound(const QDateTime &DateValue, bool EndOfDay)
{
    if (!DateValue.isValid()) {
        return {};
    }
    return QDateTime(DateValue.date(), EndOfDay ? LastSecondOfDay : QTime(0, 0), Qt::UTC);
}

QDateTime SetTimeOnDate(const QDateTime &TimeSource, const QDateTime &DateSource)
{
    if (!TimeSource.isValid()) {
        return {};
    }
    return QDateTime(DateOf(DateSource), TimeSource.time(), Qt::UTC);
}

qint32 CompareDates(const QDateTime &A, const QDateTime &B, quint8 Mode)
{
    const QDateTime a = A.isValid() ? DateValue::Normalized(A) : DateValue::Zero();
    const QDateTime b = B.isValid() ? DateValue::Normalized(B) : DateValue::Zero();
    switch (Mode) {
    case cmpDateOnly:
        return Compare(GetDayBound(a, false), GetDayBound(b, false));
    case cmpTimeOnly:
        return Compare(SetTimeOnDate(a, DateValue::Zero()), SetTimeOnDate(b, DateValue::Zero()));
    case cmpWhole:
        return Compare(a, b);
    default:
        return 0;
    }
}

Currency RoundUpSum(Currency Value, qint32 Decimals)
{
    // Worked on the units of a currency (ten-thousandths), so no step can overflow or lose digits.
    const qint32 decimals = qBound(-Currency::Decimals, Decimals, Currency::Decimals);
    Int128 step = 1;
    for (qint32 i = decimals; i < Currency::Decimals; ++i) {
        step *= DecimalBase;
    }
    const Int128 units = Value.Units();
    Int128 steps = units / step;
    if (units % step != 0 && units > 0) {
        ++steps;
    }
    return Currency::FromUnits(Saturate(steps * step));
}

Currency CyPower(Currency Base, qint32 Exponent)
{
    if (Exponent == 0) {
        return Currency(1);
    }
    const Currency product = RepeatedProduct(Base, qAbs(static_cast<qint64>(Exponent)));
    return Exponent > 0 ? product : Currency(1) / product;
}

double PowerOfTen(qint32 Exponent)
{
    return CyPower(Currency(DecimalBase), Exponent).ToDouble();
}

QString MakeItemKey(qint32 Number)
{
    return QLatin1Char('C') + QString::number(Number);
}

qint32 GetKeyNum(const QString &Key)
{
    return LeadingInteger(Key.mid(1));
}
