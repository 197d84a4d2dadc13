#include "minutesbetween.h"

namespace
{
qint64 MinuteNumber(const QDateTime &moment)
{
    const qint64 seconds = moment.toSecsSinceEpoch();
    // Floor division, so that moments before the epoch fall into their own minute too.
    return seconds >= 0 ? seconds / 60 : -((-seconds + 59) / 60);
}
} // namespace

qint64 MinutesBetween(const QDateTime &From, const QDateTime &To)
{
    return MinuteNumber(To) - MinuteNumber(From);
}
