#pragma once

#include "currency.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

#include <functional>

// The money and time rules of seances that need no database: what a period costs at a price per
// hour, what a sum buys, the seance calculator, the weekday mask and the choice of the rate in force.
// Prices are rounded up to whole roubles, durations down to whole minutes.

// The moment itself, or Clock::Now() for a null moment or the zero date ("0 means now").
QDateTime MomentOrNow(const QDateTime &Moment);

// The minute boundaries passed from Begin to End (seconds ignored): 10:00:59 to 10:01:00 is 1.
qint64 MinutesBetween(const QDateTime &Begin, const QDateTime &End);

// Begin moved by whole minutes; the seconds of Begin stay.
QDateTime AddMinutes(const QDateTime &Begin, qint64 Minutes);

// The price of Minutes at PriceForHour rounded up to whole roubles. False with a message when the
// sum does not fit in 32 bits.
bool PriceForMinutes(Currency PriceForHour, qint64 Minutes, qint32 &Sum, QString &ErrString);

// The whole minutes that Sum buys at PriceForHour: the longest duration that PriceForMinutes prices
// at no more than Sum. False with a message for a price of 0 or below, or when the minutes do not fit
// in 32 bits.
bool MinutesForSum(Currency PriceForHour, qint32 Sum, qint32 &Minutes, QString &ErrString);

// With End set (not null, not the zero date) Minutes becomes the minutes from Begin to End (saturated
// at the 32-bit limits); otherwise End becomes Begin plus Minutes.
void CompleteSeanceTimes(const QDateTime &Begin, QDateTime &End, qint32 &Minutes);

// Gives the price per hour of the seance's rate, or False with the reason.
using RatePriceSource = std::function<bool(Currency &PriceForHour, QString &ErrString)>;

// The seance calculator: from Begin and one of Sum (when not 0), End or Minutes it fills the other
// two. A priced period is stretched to what its rounded-up price buys; the result is settled: given
// again, it comes back unchanged. The rate's price is asked for once, when first needed, so a wrong
// end is reported before a missing rate.
bool CalcSeanceAtPrice(const RatePriceSource &Price,
                       const QDateTime &Begin,
                       QDateTime &End,
                       qint32 &Minutes,
                       qint32 &Sum,
                       QString &ErrString);

// Weekday counted from Sunday = 1 to Saturday = 7.
int WeekdayFromSunday(const QDateTime &Moment);

// Whether the weekday mask holds the day (Monday 2, Tuesday 4 ... Saturday 64, Sunday 128).
bool IsDayInMask(quint8 Mask, int Weekday);

// The terms of one rate as the rate choice needs them.
struct RateTerms final
{
    qint32 Code = 0;
    qint32 IsNight = 0;
    qint32 DaysOfWeek = 0;
    QTime TimeFrom;
    QTime TimeTo;
    Currency PriceForHour;
};

// The rate in force at Moment among Rates, in their order: the first priced match, else the last
// free match, else the last rate of the kind, else 0.
qint32 ChooseRateForTime(const QList<RateTerms> &Rates, const QDateTime &Moment, bool IsNight);

// The calendar date of DatePart with the time of day of TimePart; null when either is null.
QDateTime JoinDateTime(const QDateTime &DatePart, const QDateTime &TimePart);

// Value cut towards zero to Digits decimals (at most four count; below 0 counts as 0).
Currency RoundDownSum(Currency Value, qint32 Digits);

// 10 to the power Exponent; 1 for exponents below 1, saturated at the 32-bit limit from 10 on.
qint32 PowerOfTenLong(qint32 Exponent);
