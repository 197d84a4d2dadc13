#include "currency.h"

#include <cmath>
#include <limits>

namespace
{
// A GNU extension that g++ and clang share, marked as such so that -pedantic accepts it: room for a
// sum's units and their rounding beyond 64 bits.
__extension__ using Int128 = __int128;

// 2^63: the first double beyond the range of the units.
constexpr double UnitsLimit = 9.2233720368547758e18;

std::int64_t Saturate(Int128 value)
{
    if (value > std::numeric_limits<std::int64_t>::max()) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value < std::numeric_limits<std::int64_t>::min()) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

// numerator / denominator rounded to the nearest integer, a half to the even neighbour.
Int128 DivideRoundHalfEven(Int128 numerator, Int128 denominator)
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    Int128 quotient = numerator / denominator;
    Int128 remainder = numerator % denominator;
    const Int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
    if (twice > denominator || (twice == denominator && (quotient % 2) != 0)) {
        quotient += numerator < 0 ? -1 : 1;
    }
    return quotient;
}
} // namespace

Currency Currency::FromDouble(double value)
{
    if (std::isnan(value)) {
        return {};
    }
    const double scaled = std::nearbyint(value * Scale);
    if (scaled >= UnitsLimit) {
        return Max();
    }
    if (scaled <= -UnitsLimit) {
        return Min();
    }
    return FromUnits(static_cast<std::int64_t>(scaled));
}

bool Currency::FromText(const QString &text, Currency &result)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) {
        return false;
    }
    result = FromDouble(value);
    return true;
}

double Currency::ToDouble() const
{
    return static_cast<double>(m_units) / Scale;
}

QString Currency::ToString() const
{
    const Int128 units = m_units;
    const Int128 absolute = units < 0 ? -units : units;
    const auto whole = static_cast<unsigned long long>(absolute / Scale);
    const auto fraction = static_cast<unsigned long long>(absolute % Scale);
    QString text = QString::number(whole);
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(Decimals, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0'))) {
            digits.chop(1);
        }
        text += QLatin1Char('.') + digits;
    }
    return units < 0 ? QLatin1Char('-') + text : text;
}

Currency Currency::Truncated() const
{
    return FromUnits(m_units / Scale * Scale);
}

bool Currency::HasFraction() const
{
    return m_units % Scale != 0;
}

Currency Currency::operator-() const
{
    return FromUnits(Saturate(-static_cast<Int128>(m_units)));
}

Currency Currency::operator+(Currency other) const
{
    return FromUnits(Saturate(static_cast<Int128>(m_units) + other.m_units));
}

Currency Currency::operator-(Currency other) const
{
    return FromUnits(Saturate(static_cast<Int128>(m_units) - other.m_units));
}

Currency Currency::operator*(Currency other) const
{
    return FromUnits(Saturate(DivideRoundHalfEven(static_cast<Int128>(m_units) * other.m_units, Scale)));
}

Currency Currency::operator/(Currency other) const
{
    if (other.m_units == 0) {
        return m_units == 0 ? Currency() : (m_units < 0 ? Min() : Max());
    }
    return FromUnits(Saturate(DivideRoundHalfEven(static_cast<Int128>(m_units) * Scale, other.m_units)));
}
