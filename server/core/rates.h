#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// The seance arithmetic over the table "Rates": prices, durations and the seance calculator at a
// rate, the rate in force at a moment, and the small rate helpers. Rate 0 is the automatic rate,
// which is refused.

// The price of the period from Begin to End at the rate, rounded up to whole roubles.
bool GetSumForDuration(qint32 Rate, const QDateTime &Begin, const QDateTime &End, qint32 &Sum, QString &ErrString);

// The whole minutes that Sum buys at the rate; refused for a rate whose minute price is 0.
bool GetDurationForSum(qint32 Rate, qint32 Sum, qint32 &Minutes, QString &ErrString);

// The seance calculator (CalcSeanceAtPrice) at the rate's price.
bool CalcSeance(qint32 Rate, const QDateTime &Begin, QDateTime &End, qint32 &Minutes, qint32 &Sum, QString &ErrString);

// The rate in force at Moment (null or the zero date: now) among the day or the night rates, in the
// table's order; 0 when there is no rate of that kind.
qint32 GetRateForTime(const QDateTime &Moment, bool IsNight);

// True when the rate exists and its price per hour is 0.
bool IsFreeRate(qint32 Rate);

// True when the seance exists and its rate is a night rate.
bool IsNightSeance(const std::shared_ptr<Rollstrake::DBRecord> &Seance);
bool IsNightSeance(qint32 SeanceCode);

// The record's Name, or the empty text when there is none.
QString GetRateName(qint32 Code);
QString GetDesktopName(qint32 Code);

// "Новый тариф " and "Новая услуга " followed by the lowest number from 1 that no rate or service
// type has in its name.
QString NewRateName();
QString NewServiceName();
