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
    QDateTime now = DateValue::Normalized(QDateTime::currentDateTime());
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}

void SetNow(const QDateTime &moment)
{
    FixedMoment() = DateValue::Normalized(moment);
}
} // namespace Clock
