#include "datevalue.h"

#include <cmath>

namespace DateValue
{
namespace
{
constexpr qint64 SecondsPerDay = 86400;
// Serial days beyond this lie outside the years a date can take.
constexpr double MaxSerialDays = 3e6;
constexpr int ZeroYear = 1899;
constexpr int ZeroMonth = 12;
constexpr int ZeroDay = 30;
} // namespace

QDateTime Make(int year, int month, int day, int hours, int minutes, int seconds)
{
    const QDate date(year, month, day);
    const QTime time(hours, minutes, seconds);
    if (!date.isValid() || !time.isValid()) {
        return {};
    }
    return QDateTime(date, time, Qt::UTC);
}

QDateTime Zero()
{
    return Make(ZeroYear, ZeroMonth, ZeroDay);
}

bool IsZero(const QDateTime &value)
{
    return value.isValid() && Normalized(value) == Zero();
}

QDateTime Normalized(const QDateTime &value)
{
    if (!value.isValid()) {
        return {};
    }
    if (value.timeSpec() == Qt::UTC) {
        return value;
    }
    return QDateTime(value.date(), value.time(), Qt::UTC);
}

double ToSerial(const QDateTime &value)
{
    const qint64 seconds = Zero().secsTo(Normalized(value));
    qint64 days = seconds / SecondsPerDay;
    qint64 rest = seconds % SecondsPerDay;
    if (rest < 0) {
        days -= 1;
        rest += SecondsPerDay;
    }
    // Before the zero date the time of day still counts away from zero: -1.25 is 29/12/1899 06:00.
    const double fraction = static_cast<double>(rest) / SecondsPerDay;
    return days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
}

QDateTime FromSerial(double serial)
{
    if (!std::isfinite(serial) || std::fabs(serial) > MaxSerialDays) {
        return {};
    }
    const double days = std::trunc(serial);
    const double fraction = std::fabs(serial - days);
    const qint64 seconds = static_cast<qint64>(days) * SecondsPerDay + std::llround(fraction * SecondsPerDay);
    return Zero().addSecs(seconds);
}
} // namespace DateValue
