#pragma once

#include <QDateTime>
#include <QTime>

// The night window of the club and the dates and moments derived from it, for given night settings.
// A night is known by its night date: the date of the evening on which it begins (for a window that
// begins at or before noon, the evening before). Noon is the fixed pivot between morning and afternoon.

// The night settings: the window's begin and end times of day and the minutes after the begin at
// which a reserve that is only prepaid lapses.
struct NightSettings final
{
    QTime Begin;
    QTime End;
    qint32 ReserveExpirationMinutes = 0;
};

// Whether the moment's time of day lies in the window, both bounds included; a window over midnight
// wraps, and a begin equal to the end makes every moment night time.
bool IsNightTime(const NightSettings &Night, const QDateTime &Moment);

// The night date (a date at 00:00) of the night the moment belongs to.
QDateTime GetNightDate(const NightSettings &Night, const QDateTime &Moment);

// The night around the moment: before noon the night that ends this morning, from noon on the coming one.
void GetNightPeriod(const NightSettings &Night, const QDateTime &Moment, QDateTime &Begin, QDateTime &End);

// The time of day (on the zero date) after which a prepaid reserve lapses: the begin plus the
// expiration minutes, wrapping past midnight.
QDateTime GetNightReserveExpiry(const NightSettings &Night);

// The moment at which a prepaid reserve of the night with this night date lapses: that night's begin
// plus the expiration minutes.
QDateTime NightReserveExpiryMoment(const NightSettings &Night, const QDateTime &NightDate);
