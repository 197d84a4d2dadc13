#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QStringList>

#include <array>

// How many computers were busy in each of 80 equal intervals of a period. Interval r (1-based)
// starts Round((r - 1) * L) seconds after the period's start, L being the period's length in
// seconds / 80; a seance counts from the interval whose start lies nearest its begin to the one
// nearest its end (halves to the even neighbour), within 1..80, and a computer counts once per
// interval however many of its seances touch it. Computers are told apart by their record code.
class Occupancy final
{
public:
    static constexpr int Intervals = 80;

    Occupancy(const QDateTime &From, const QDateTime &To);

    void Add(qint32 ComputerCode, const QDateTime &Begin, const QDateTime &End);
    // The 80 counts, interval 1 first.
    QList<qint32> Counts() const;
    // The 80 labels: " 10:00" for a one-day period, "05.12.2026 10:00" otherwise.
    QStringList Labels() const;

    // The interval (1-based, not clamped) whose start lies nearest the moment.
    qint64 IntervalOf(const QDateTime &Moment) const;

private:
    QDateTime m_from;
    QDateTime m_to;
    double m_length = 0;
    std::array<QSet<qint32>, Intervals> m_busy;
};
