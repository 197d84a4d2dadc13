#include "core/nightperiod.h"

#include "datevalue.h"

namespace
{
const QTime Noon(12, 0);
constexpr qint32 MinutesPerDay = 24 * 60;

QDateTime DayStart(const QDateTime &Moment)
{
    return QDateTime(Moment.date(), QTime(0, 0), Qt::UTC);
}

QDateTime OnDay(const QDateTime &Day, const QTime &TimeOfDay)
{
    return QDateTime(Day.date(), TimeOfDay, Qt::UTC);
}
} // namespace

bool IsNightTime(const NightSettings &Night, const QDateTime &Moment)
{
    const QTime t = Moment.time();
    if (Night.Begin < Night.End) {
        return Night.Begin <= t && t <= Night.End;
    }
    return t >= Night.Begin || t <= Night.End;
}

QDateTime GetNightDate(const NightSettings &Night, const QDateTime &Moment)
{
    const QDateTime d = DayStart(Moment);
    const QTime t = Moment.time();
    if (IsNightTime(Night, Moment)) {
        return (Night.Begin > Noon && t >= Noon) ? d : d.addDays(-1);
    }
    return (Night.Begin <= Noon && t < Night.Begin) ? d.addDays(-1) : d;
}

void GetNightPeriod(const NightSettings &Night, const QDateTime &Moment, QDateTime &Begin, QDateTime &End)
{
    const QDateTime d = DayStart(Moment);
    const bool beginsBeforeNoon = Night.Begin < Noon;
    if (Moment.time() < Noon) {
        End = OnDay(d, Night.End);
        Begin = OnDay(beginsBeforeNoon ? d : d.addDays(-1), Night.Begin);
    } else {
        End = OnDay(d.addDays(1), Night.End);
        Begin = OnDay(beginsBeforeNoon ? d.addDays(1) : d, Night.Begin);
    }
}

QDateTime GetNightReserveExpiry(const NightSettings &Night)
{
    return OnDay(DateValue::Zero(), Night.Begin.addSecs(Night.ReserveExpirationMinutes % MinutesPerDay * 60));
}

QDateTime NightReserveExpiryMoment(const NightSettings &Night, const QDateTime &NightDate)
{
    // Consistent with GetNightDate: a window that begins at or before noon begins the day after its date.
    const QDateTime day = DayStart(NightDate);
    const QDateTime begin = OnDay(Night.Begin > Noon ? day : day.addDays(1), Night.Begin);
    return begin.addSecs(static_cast<qint64>(Night.ReserveExpirationMinutes) * 60);
}
