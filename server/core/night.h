#pragma once

#include "core/nightperiod.h"

#include <QDateTime>
#include <QList>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// The night window of the settings store and the night reserves of the computers. Every call reads
// the settings afresh. A moment that is null or the zero date means now.

// The night states of a computer for the night of a moment.
enum NightState : qint32
{
    nsFree = 0,           // no night seance runs and there is no reserve
    nsReservedFull = 1,   // reserved and fully prepaid
    nsReservedPrepay = 2, // reserved with a prepayment that has not lapsed
    nsNightSeance = 3,    // a night seance runs on the computer at the moment
    nsReserveUsed = 4,    // the reserve was used, or being only prepaid it has lapsed
};

// "NightBeginTime", "NightEndTime" and "NightReserveExpirationPeriod" of the settings store.
NightSettings ReadNightSettings();

bool IsNightTime(const QDateTime &Moment);
QDateTime GetNightDate(const QDateTime &Moment);
void GetNightPeriod(const QDateTime &Moment, QDateTime &Begin, QDateTime &End);
QDateTime GetNightReserveExpiry();

// The computer's reserve for the night of the moment, or none (also for a number without a computer).
std::shared_ptr<Rollstrake::DBRecord> FindNightReserve(qint32 Num, const QDateTime &Moment);

// The computer's night state; Reserve receives the reserve in states 1 and 2 and none otherwise.
qint32 GetNightState(qint32 Num, const QDateTime &Moment, std::shared_ptr<Rollstrake::DBRecord> &Reserve);
// The same, for a caller that has already looked up whether a night seance runs on the computer at
// the moment.
qint32 GetNightState(qint32 Num,
                     const QDateTime &Moment,
                     bool NightSeanceRuns,
                     std::shared_ptr<Rollstrake::DBRecord> &Reserve);

// The computers, in the library's order, whose reserve could be activated at the moment (states 1
// and 2) but could not be under the night settings Proposed: its prepayment would have lapsed, or the
// moment would belong to another night.
QList<qint32> ReservesLostUnder(const NightSettings &Proposed, const QDateTime &Moment);
