#pragma once

#include "quillmarsh_common_export.h"

#include <QString>

#include <compare>
#include <cstdint>

// Money and rates: a signed fixed-point amount with four decimals held in 64 bits
// (the value times 10,000). Every arithmetic step is kept to four decimals, a half rounded to
// the even neighbour. Results beyond the range saturate at Min() or Max() instead of wrapping.
//
// Sums and payments of the club are whole roubles held as qint32; a rate's price per hour and
// intermediate money arithmetic use Currency.
class QUILLMARSH_COMMON_EXPORT Currency final
{
public:
    static constexpr std::int64_t Scale = 10000;
    // The decimals that Scale keeps.
    static constexpr int Decimals = 4;

    constexpr Currency() = default;

    constexpr Currency(int whole)
        : m_units(static_cast<std::int64_t>(whole) * Scale)
    {
    }

    static constexpr Currency FromUnits(std::int64_t units)
    {
        Currency c;
        c.m_units = units;
        return c;
    }

    // Rounded to four decimals; NaN gives 0, values beyond the range saturate.
    static Currency FromDouble(double value);
    // Locale-independent text with an optional sign and a decimal point; false when not a number.
    static bool FromText(const QString &text, Currency &result);

    static constexpr Currency Min()
    {
        return FromUnits(INT64_MIN);
    }

    static constexpr Currency Max()
    {
        return FromUnits(INT64_MAX);
    }

    constexpr std::int64_t Units() const
    {
        return m_units;
    }

    double ToDouble() const;
    // Plain text with a decimal point and the decimals it needs ("12.5", "-3", "0.0001").
    QString ToString() const;

    // Toward zero.
    Currency Truncated() const;
    bool HasFraction() const;

    Currency operator-() const;
    Currency operator+(Currency other) const;
    Currency operator-(Currency other) const;
    Currency operator*(Currency other) const;
    // Division by zero saturates toward the dividend's sign (zero stays zero).
    Currency operator/(Currency other) const;

    Currency &operator+=(Currency other)
    {
        return *this = *this + other;
    }

    Currency &operator-=(Currency other)
    {
        return *this = *this - other;
    }

    constexpr auto operator<=>(const Currency &) const = default;

private:
    std::int64_t m_units = 0;
};
