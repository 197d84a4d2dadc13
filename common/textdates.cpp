#include "textdates.h"

#include "leadingnumber.h"

bool GetNextToken(const QString &Text, qint32 &Position, QString &Token, const QString &Separator)
{
    Token.clear();
    const QString separator = Separator.isEmpty() ? QStringLiteral("|") : Separator;
    const qsizetype start = qMax<qsizetype>(Position, 1) - 1;
    if (start >= Text.size()) {
        return false;
    }
    const qsizetype found = Text.indexOf(separator, start, Qt::CaseSensitive);
    if (found >= 0) {
        Token = Text.mid(start, found - start);
        Position = static_cast<qint32>(found + separator.size() + 1);
        return true;
    }
    Token = Text.mid(start);
    Position = static_cast<qint32>(Text.size() + separator.size() + 1);
    return true;
}

namespace
{
// A GNU extension that g++ and clang share, marked as such so that -pedantic accepts it: room for a
// sum's units and their rounding beyond 64 bits.
__extension__ using Int128 = __int128;

constexpr qint64 MonthsPerYear = 12;
constexpr qint64 SecondsPerMinute = 60;
constexpr qint64 MinutesPerHour = 60;
// Two-digit years up to this one are of the 2000s, the others of the 1900s.
constexpr qint64 LastYearOf2000s = 29;
constexpr qint64 LastTwoDigitYear = 99;
constexpr qint64 Century2000 = 2000;
constexpr qint64 Century1900 = 1900;
// The years a stored date can take.
constexpr qint64 FirstYear = 100;
constexpr qint64 LastYear = 9999;
constexpr int YearDigits = 4;
// The lengths of the shapes DateToString writes: date and time, date, time.
constexpr qsizetype DateTimeLength = 19;
constexpr qsizetype DateLength = 10;
constexpr qsizetype TimeLength = 8;
// Sums are shown in hundredths; their digits in groups of three.
constexpr qint64 HundredthsPerWhole = 100;
constexpr qint64 UnitsPerHundredth = Currency::Scale / HundredthsPerWhole;
constexpr qsizetype DigitsPerGroup = 3;

QString TwoDigits(qint64 value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

// DateSerial's rules: years 0-29 and 30-99 are 2000-2029 and 1930-1999, months and days beyond
// their range carry into the neighbouring months and years.
QDateTime DateFromParts(qint64 year, qint64 month, qint64 day)
{
    if (year >= 0 && year <= LastYearOf2000s) {
        year += Century2000;
    } else if (year > LastYearOf2000s && year <= LastTwoDigitYear) {
        year += Century1900;
    }
    const qint64 months = year * MonthsPerYear + month - 1;
    const qint64 wholeYear = months >= 0 ? months / MonthsPerYear : (months - (MonthsPerYear - 1)) / MonthsPerYear;
    if (wholeYear < FirstYear || wholeYear > LastYear) {
        return {};
    }
    const QDate date = QDate(static_cast<int>(wholeYear), static_cast<int>(months - wholeYear * MonthsPerYear + 1), 1)
                           .addDays(day - 1);
    if (date.year() < FirstYear || date.year() > LastYear) {
        return {};
    }
    return QDateTime(date, QTime(0, 0), Qt::UTC);
}

} // namespace

QString DateToString(const QDateTime &DateValue, bool WithTime, const QString &Separator)
{
    if (!DateValue.isValid()) {
        return {};
    }
    const QDate date = DateValue.date();
    QString text = TwoDigits(date.day()) + Separator + TwoDigits(date.month()) + Separator
                   + QString::number(date.year()).rightJustified(YearDigits, QLatin1Char('0'));
    if (WithTime) {
        const QTime time = DateValue.time();
        text += QLatin1Char(' ') + TwoDigits(time.hour()) + QLatin1Char(':') + TwoDigits(time.minute())
                + QLatin1Char(':') + TwoDigits(time.second());
    }
    return text;
}

QDateTime StringToDate(const QString &Text, const QString &Separator)
{
    if (Text.size() != DateTimeLength && Text.size() != DateLength && Text.size() != TimeLength) {
        return {};
    }
    qint32 position = 1;
    QString day;
    QString month;
    QString year;
    if (!Separator.isEmpty() && Text.contains(Separator)) {
        if (!GetNextToken(Text, position, day, Separator) || !GetNextToken(Text, position, month, Separator)
            || !GetNextToken(Text, position, year, QStringLiteral(" "))) {
            return {};
        }
    }
    const QString colon = QStringLiteral(":");
    QString hours;
    QString minutes;
    QString seconds;
    if (GetNextToken(Text, position, hours, colon)
        && (!GetNextToken(Text, position, minutes, colon) || !GetNextToken(Text, position, seconds, colon))) {
        return {};
    }
    const QDateTime date = DateFromParts(LeadingInteger(year), LeadingInteger(month), LeadingInteger(day));
    if (!date.isValid()) {
        return {};
    }
    return date.addSecs((qint64{LeadingInteger(hours)} * MinutesPerHour + LeadingInteger(minutes)) * SecondsPerMinute
                        + LeadingInteger(seconds));
}

QString FormatSum(Currency Sum)
{
    // Hundredths, a half away from zero.
    const Int128 units = Sum.Units();
    const Int128 absolute = units < 0 ? -units : units;
    const auto cents = static_cast<unsigned long long>((absolute + UnitsPerHundredth / 2) / UnitsPerHundredth);
    const QString whole = QString::number(cents / HundredthsPerWhole);
    QString text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % DigitsPerGroup == 0) {
            text += QChar(0x00A0);
        }
        text += whole.at(i);
    }
    text += QLatin1Char(',') + TwoDigits(static_cast<qint64>(cents % HundredthsPerWhole));
    return units < 0 && cents != 0 ? QLatin1Char('-') + text : text;
}

QString FormatDuration(qint32 Amount, bool ShowHours)
{
    // Seconds to the minute and minutes to the hour alike.
    constexpr qint64 GroupSize = 60;
    const qint64 absolute = qAbs(static_cast<qint64>(Amount));
    const QString sign = Amount < 0 ? QStringLiteral("-") : QString();
    const qint64 last = absolute % GroupSize;
    qint64 first = absolute / GroupSize;
    if (!ShowHours) {
        return sign + TwoDigits(first) + QLatin1Char(':') + TwoDigits(last);
    }
    const qint64 middle = first % GroupSize;
    first /= GroupSize;
    return sign + TwoDigits(first) + QLatin1Char(':') + TwoDigits(middle) + QLatin1Char(':') + TwoDigits(last);
}
