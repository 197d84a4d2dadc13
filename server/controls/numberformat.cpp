#include "controls/numberformat.h"

#include "controls/inputhelpers.h"

#include <cstdint>

namespace
{
constexpr std::int64_t PowerOfTen(qint32 Exponent)
{
    std::int64_t result = 1;
    for (qint32 i = 0; i < Exponent; ++i) {
        result *= 10;
    }
    return result;
}

struct Pattern
{
    bool Grouped = false;
    qint32 MinIntegerDigits = 1;
    qint32 MaxDecimals = 0;
    qint32 MinDecimals = 0;
};

Pattern ReadPattern(const QString &Mask, qint32 PrecOrder)
{
    Pattern pattern;
    if (Mask.isEmpty()) {
        pattern.MaxDecimals = PrecOrder;
        pattern.MinDecimals = PrecOrder;
        return pattern;
    }
    const qsizetype point = Mask.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? Mask : Mask.left(point);
    const QString fraction = point < 0 ? QString() : Mask.mid(point + 1);
    pattern.Grouped = whole.contains(QLatin1Char(','));
    pattern.MinIntegerDigits = static_cast<qint32>(whole.count(QLatin1Char('0')));
    pattern.MinDecimals = qMin<qint32>(4, static_cast<qint32>(fraction.count(QLatin1Char('0'))));
    pattern.MaxDecimals =
        qMin<qint32>(4, static_cast<qint32>(fraction.count(QLatin1Char('0')) + fraction.count(QLatin1Char('#'))));
    return pattern;
}

QString Grouped(const QString &Digits, const QString &Separator)
{
    QString result;
    for (qsizetype i = 0; i < Digits.size(); ++i) {
        if (i > 0 && (Digits.size() - i) % 3 == 0) {
            result += Separator;
        }
        result += Digits.at(i);
    }
    return result;
}
} // namespace

namespace NumberFormat
{
Currency Rounded(Currency Value, qint32 Decimals)
{
    const std::int64_t divisor = PowerOfTen(4 - qBound(0, Decimals, 4));
    const std::int64_t units = Value.Units();
    std::int64_t quotient = units / divisor;
    const std::int64_t remainder = units % divisor;
    const std::int64_t twice = (remainder < 0 ? -remainder : remainder) * 2;
    if (twice > divisor || (twice == divisor && quotient % 2 != 0)) {
        quotient += units < 0 ? -1 : 1;
    }
    std::int64_t result = 0;
    if (__builtin_mul_overflow(quotient, divisor, &result)) {
        return units < 0 ? Currency::Min() : Currency::Max();
    }
    return Currency::FromUnits(result);
}

QString Format(Currency Value, const QString &Mask, qint32 PrecOrder)
{
    const Pattern pattern = ReadPattern(Mask, PrecOrder);
    const std::int64_t units = Rounded(Value, pattern.MaxDecimals).Units();
    const std::uint64_t magnitude =
        units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    const QLocale locale = InputHelpers::DisplayLocale();

    QString whole = QString::number(magnitude / Currency::Scale);
    if (whole == QLatin1String("0") && pattern.MinIntegerDigits == 0) {
        whole.clear();
    }
    whole = whole.rightJustified(pattern.MinIntegerDigits, QLatin1Char('0'));
    if (pattern.Grouped) {
        whole = Grouped(whole, locale.groupSeparator());
    }
    QString fraction = QString::number(magnitude % Currency::Scale).rightJustified(4, QLatin1Char('0'));
    fraction.truncate(pattern.MaxDecimals);
    while (fraction.size() > pattern.MinDecimals && fraction.endsWith(QLatin1Char('0'))) {
        fraction.chop(1);
    }
    QString text = fraction.isEmpty() ? whole : whole + locale.decimalPoint() + fraction;
    if (units < 0 && magnitude != 0) {
        text.prepend(QLatin1Char('-'));
    }
    return text;
}

bool ReadShown(const QString &Text, Currency &Value)
{
    const QString group = InputHelpers::DisplayLocale().groupSeparator();
    QString plain;
    for (const QChar ch : Text) {
        if (ch.isSpace() || group.contains(ch)) {
            continue;
        }
        plain += ch == QLatin1Char(',') ? QLatin1Char('.') : ch;
    }
    return Currency::FromText(plain, Value);
}
} // namespace NumberFormat
