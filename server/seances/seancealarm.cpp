#include "seances/seancealarm.h"

namespace
{
const QColor Red(0xFF, 0x00, 0x00);
const QColor Cyan(0x00, 0xFF, 0xFF);
} // namespace

SeanceAlarm::Step SeanceAlarm::Check(qint32 ClientSeance, std::optional<qint64> MinutesLeft, double AlarmMinutes)
{
    if (ClientSeance == 0) {
        return Stop();
    }
    if (!MinutesLeft) {
        return Step::None;
    }
    if (static_cast<double>(*MinutesLeft) <= AlarmMinutes) {
        if (m_on) {
            return Step::None;
        }
        m_on = true;
        return Step::Started;
    }
    return m_on ? Stop() : Step::None;
}

SeanceAlarm::Step SeanceAlarm::Stop()
{
    const bool wasOn = m_on;
    m_on = false;
    m_colour = Red;
    return wasOn ? Step::Stopped : Step::None;
}

void SeanceAlarm::Tick()
{
    m_colour = m_colour == Red ? Cyan : Red;
}
