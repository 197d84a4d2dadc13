#pragma once

#include <QColor>

#include <optional>

// The end-of-seance alarm of a tile: on while the client's seance is within the alarm time of its
// end; while on, the screen colour blinks between red and cyan.
class SeanceAlarm final
{
public:
    enum class Step
    {
        None,
        Started,
        Stopped,
    };

    // ClientSeance is the client's seance clipped at 0; MinutesLeft the minutes to that seance's
    // end, nothing when it has no record. Started is returned once per start, so the caller beeps
    // only then.
    Step Check(qint32 ClientSeance, std::optional<qint64> MinutesLeft, double AlarmMinutes);
    // One blink: red becomes cyan, anything else red.
    void Tick();

    bool IsOn() const
    {
        return m_on;
    }

    QColor Colour() const
    {
        return m_colour;
    }

private:
    Step Stop();

    bool m_on = false;
    QColor m_colour = QColor(0xFF, 0x00, 0x00);
};
