#include "statistics/periodwindows.h"

#include <QElapsedTimer>
#include <QtGlobal>

namespace
{
// Windows grow while a read takes less than this share of the target.
constexpr qint64 GrowthDivisor = 4;
} // namespace

PeriodWindows::PeriodWindows(const QDateTime &From, const QDateTime &To)
    : m_from(From)
    , m_to(To)
    , m_next(From)
{
}

bool PeriodWindows::AtEnd() const
{
    return !m_next.isValid() || !m_to.isValid() || m_next > m_to;
}

void PeriodWindows::Next(QDateTime &From, QDateTime &To)
{
    From = m_next;
    To = qMin(m_next.addSecs(m_seconds - 1), m_to);
    m_next = To.addSecs(1);
}

void PeriodWindows::Measured(qint64 ElapsedMs)
{
    if (ElapsedMs < TargetMs / GrowthDivisor) {
        m_seconds = qMin(m_seconds * 2, MaxSeconds);
    } else if (ElapsedMs > TargetMs) {
        m_seconds = qMax(m_seconds / 2, MinSeconds);
    }
}

bool PeriodWindows::ReadNext(const WindowReader &Read, QString &ErrString)
{
    QElapsedTimer timer;
    timer.start();
    QDateTime from;
    QDateTime to;
    Next(from, to);
    if (!Read(from, to, ErrString)) {
        return false;
    }
    Measured(timer.elapsed());
    return true;
}

double PeriodWindows::Progress() const
{
    if (AtEnd()) {
        return 1.0;
    }
    const qint64 whole = m_from.secsTo(m_to) + 1;
    return whole > 0 ? double(m_from.secsTo(m_next)) / double(whole) : 1.0;
}
