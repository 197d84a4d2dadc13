#include "core/suminwords.h"

#include <QStringList>

#include <array>
#include <cstdlib>

namespace
{
// A GNU extension that g++ and clang share, marked as such so that -pedantic accepts it: room for a
// sum's units and their rounding beyond 64 bits.
__extension__ using Int128 = __int128;

// Enough for every currency amount: the largest is 922 337 203 685 477 roubles.
constexpr int DigitCount = 15;

// Element k holds the digit of 10^k; positions in the rules count from 1.
using Digits = std::array<int, DigitCount>;

const std::array<QString, 10> &Stems()
{
    static const std::array<QString, 10> stems{QString(),
                                               QStringLiteral("один"),
                                               QStringLiteral("два"),
                                               QStringLiteral("три"),
                                               QStringLiteral("четыре"),
                                               QStringLiteral("пят"),
                                               QStringLiteral("шест"),
                                               QStringLiteral("сем"),
                                               QStringLiteral("восем"),
                                               QStringLiteral("девят")};
    return stems;
}

QString HundredWord(int digit)
{
    switch (digit) {
    case 1:
        return QStringLiteral("сто");
    case 2:
        return QStringLiteral("двести");
    case 3:
    case 4:
        return Stems()[digit] + QStringLiteral("ста");
    default:
        return Stems()[digit] + QStringLiteral("ьсот");
    }
}

QString TeenWord(int units)
{
    switch (units) {
    case 0:
        return QStringLiteral("десять");
    case 2:
        return QStringLiteral("двенадцать");
    case 4:
        return QStringLiteral("четырнадцать");
    default:
        return Stems()[units] + QStringLiteral("надцать");
    }
}

QString TensWord(int digit)
{
    switch (digit) {
    case 2:
    case 3:
        return Stems()[digit] + QStringLiteral("дцать");
    case 4:
        return QStringLiteral("сорок");
    case 9:
        return QStringLiteral("девяносто");
    default:
        return Stems()[digit] + QStringLiteral("ьдесят");
    }
}

QString UnitWord(int digit)
{
    return Stems()[digit] + (digit >= 5 ? QStringLiteral("ь") : QString());
}

// Appends the words of one group of three digits; the thousands group (units at position 4)
// leaves its units word to the group's name.
void HundredsInWords(const Digits &digits, int hundreds, int tens, int units, QString &text)
{
    const int h = digits[hundreds - 1];
    const int t = digits[tens - 1];
    const int u = digits[units - 1];
    if (h > 0) {
        text += HundredWord(h) + QLatin1Char(' ');
    }
    if (t == 1) {
        text += TeenWord(u) + QLatin1Char(' ');
        return;
    }
    if (t > 1) {
        text += TensWord(t) + QLatin1Char(' ');
    }
    if (u > 0 && units != 4) {
        text += UnitWord(u) + QLatin1Char(' ');
    }
}

// Name forms of a group: t is 1 or u is 0, u is 1, u is 2, u is 3 or 4, u is 5 to 9.
QString GroupName(const QStringList &forms, int t, int u)
{
    if (t == 1 || u == 0) {
        return forms[0];
    }
    if (u <= 2) {
        return forms[u];
    }
    return u <= 4 ? forms[3] : forms[4];
}

QString ThousandsName(int t, int u)
{
    if (t == 1 || u == 0) {
        return QStringLiteral("тысяч");
    }
    switch (u) {
    case 1:
        return QStringLiteral("одна тысяча");
    case 2:
        return QStringLiteral("две тысячи");
    case 3:
    case 4:
        return Stems()[u] + QStringLiteral(" тысячи");
    default:
        return Stems()[u] + QStringLiteral("ь тысяч");
    }
}

// Whole hundredths of a currency amount, a half away from zero.
std::int64_t RoundedUnits(Currency value, std::int64_t step)
{
    const Int128 units = value.Units();
    const Int128 absolute = units < 0 ? -units : units;
    const auto rounded = static_cast<std::int64_t>((absolute + step / 2) / step);
    return units < 0 ? -rounded : rounded;
}

QString WholeNumberInWords(std::int64_t number)
{
    if (number < 0) {
        return QStringLiteral("минус ") + WholeNumberInWords(-number);
    }
    QString text = number == 0 ? QStringLiteral("ноль ") : QString();
    Digits digits{};
    for (int k = 0; k < DigitCount; ++k, number /= 10) {
        digits[k] = static_cast<int>(number % 10);
    }
    static const QList<QStringList> names{{QStringLiteral("триллионов"),
                                           QStringLiteral("триллион"),
                                           QStringLiteral("триллиона"),
                                           QStringLiteral("триллиона"),
                                           QStringLiteral("триллионов")},
                                          {QStringLiteral("миллиардов"),
                                           QStringLiteral("миллиард"),
                                           QStringLiteral("миллиарда"),
                                           QStringLiteral("миллиарда"),
                                           QStringLiteral("миллиардов")},
                                          {QStringLiteral("миллионов"),
                                           QStringLiteral("миллион"),
                                           QStringLiteral("миллиона"),
                                           QStringLiteral("миллиона"),
                                           QStringLiteral("миллионов")}};
    for (int group = 4; group >= 0; --group) {
        const int units = group * 3 + 1;
        HundredsInWords(digits, units + 2, units + 1, units, text);
        const int h = digits[units + 1];
        const int t = digits[units];
        const int u = digits[units - 1];
        if (group == 0 || h + t + u == 0) {
            continue;
        }
        text += (group == 1 ? ThousandsName(t, u) : GroupName(names[4 - group], t, u)) + QLatin1Char(' ');
    }
    return text;
}

QString Capitalized(QString text)
{
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}
} // namespace

QString NumberInWords(Currency Number)
{
    return WholeNumberInWords(RoundedUnits(Number, Currency::Scale));
}

QString SumInWords(Currency Sum)
{
    const std::int64_t kopecks = RoundedUnits(Sum, Currency::Scale / 100);
    const std::int64_t roubles = std::abs(kopecks) / 100;
    const QString sign = kopecks < 0 ? QStringLiteral("минус ") : QString();
    const QString roubleText = Capitalized(sign + WholeNumberInWords(roubles) + QStringLiteral("Руб "));
    const QString kopeckText = WholeNumberInWords(std::abs(kopecks) % 100) + QStringLiteral("Коп ");
    return QStringLiteral("( ") + roubleText + kopeckText + QStringLiteral(" )");
}
