#include "clock.h"

#include "datevalue.h"

namespace Clock
{
namespace
{
QDateTime &FixedMoment()
{
    static QDateTime moment;
    return moment;
}
} // namespace

QDateTime Now()
{
    if (FixedMoment().isValid()) {
        return FixedMoment();
    }
    // Turning the system time into local time consults the zone file each time; within one second
    // the answer cannot differ, and the socket control and the data layer ask many times a second.
    thread_local qint64 cachedSecond = -1;
    thread_local QDateTime cached;
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second != cachedSecond) {
        QDateTime now = DateValue::Normalized(QDateTime::fromSecsSinceEpoch(second));
        now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
        cached = now;
        cachedSecond = second;
    }
    return cached;
}

void SetNow(const QDateTime &moment)
{
    FixedMoment() = DateValue::Normalized(moment);
}
} // namespace Clock
