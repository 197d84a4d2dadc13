#include "statistics/occupancy.h"

#include "generalhelpers.h"

#include <cmath>

namespace
{
// The program's short time and short date, as a Russian Windows writes them.
const QString ShortTime = QStringLiteral("HH:mm");
const QString ShortDate = QStringLiteral("dd.MM.yyyy");
} // namespace

Occupancy::Occupancy(const QDateTime &From, const QDateTime &To)
    : m_from(From)
    , m_to(To)
    , m_length(double(From.secsTo(To)) / Intervals)
{
}

qint64 Occupancy::IntervalOf(const QDateTime &Moment) const
{
    // std::nearbyint rounds a half to the even neighbour.
    return static_cast<qint64>(std::nearbyint(double(m_from.secsTo(Moment)) / m_length)) + 1;
}

void Occupancy::Add(qint32 ComputerCode, const QDateTime &Begin, const QDateTime &End)
{
    if (m_length <= 0) {
        return;
    }
    const qint64 first = qMax<qint64>(IntervalOf(Begin), 1);
    const qint64 last = qMin<qint64>(IntervalOf(End), Intervals);
    for (qint64 interval = first; interval <= last; ++interval) {
        m_busy[static_cast<size_t>(interval - 1)].insert(ComputerCode);
    }
}

QList<qint32> Occupancy::Counts() const
{
    QList<qint32> counts;
    for (const QSet<qint32> &busy : m_busy) {
        counts << static_cast<qint32>(busy.size());
    }
    return counts;
}

QStringList Occupancy::Labels() const
{
    const bool oneDay = GetDayBound(m_from, false) == GetDayBound(m_to, false);
    QStringList labels;
    for (int row = 1; row <= Intervals; ++row) {
        const QDateTime start = m_from.addSecs(static_cast<qint64>(std::nearbyint((row - 1) * m_length)));
        labels << (oneDay ? QString() : start.toString(ShortDate)) + QLatin1Char(' ') + start.toString(ShortTime);
    }
    return labels;
}
