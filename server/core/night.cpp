#include "core/night.h"

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/rates.h"
#include "core/seancearithmetic.h"
#include "core/settingsstore.h"
#include "leadingnumber.h"
#include "textdates.h"

namespace
{
QTime SettingTimeOfDay(const QString &Name)
{
    const QDateTime value = StringToDate(GetConfigValue(Name), QStringLiteral("/"));
    return value.isValid() ? value.time() : QTime(0, 0);
}

std::shared_ptr<Rollstrake::DBRecord> FindReserveOfNight(qint32 Num, const QDateTime &NightDate)
{
    // The code from the program's cache of computers: no read of the computer's record.
    const qint32 computer = GetComputerCode(Num, false);
    QString err;
    const auto table = DBTable(QStringLiteral("NightReserves"), err);
    // Without a computer the empty condition would drop out of the filter and find any reserve.
    if (computer <= 0 || !table) {
        LogDbError(QStringLiteral("FindNightReserve"), err);
        return nullptr;
    }
    const auto filter = table->GetNewFilter();
    filter->Item(QStringLiteral("NightDate"))->SetValue(NightDate);
    filter->Item(QStringLiteral("Computer"))->SetValue(computer);
    const auto records = table->GetDBRecords(filter, err);
    LogDbError(QStringLiteral("FindNightReserve"), err);
    return records ? records->GetByIndex(1) : nullptr;
}

// The night state under those settings of a computer on which no night seance runs at T.
qint32 ReserveState(const NightSettings &Settings,
                    qint32 Num,
                    const QDateTime &T,
                    std::shared_ptr<Rollstrake::DBRecord> &Reserve)
{
    const auto reserve = FindReserveOfNight(Num, GetNightDate(Settings, T));
    if (!reserve) {
        return nsFree;
    }
    if (IntValue(*reserve, QStringLiteral("Seance")) > 0) {
        return nsReserveUsed;
    }
    if (IntValue(*reserve, QStringLiteral("IsFullPay")) > 0) {
        Reserve = reserve;
        return nsReservedFull;
    }
    // A prepaid reserve lapses at its own night's expiry moment, also in that night's hours after midnight.
    const QDateTime expiry = NightReserveExpiryMoment(Settings, DateValueOf(*reserve, QStringLiteral("NightDate")));
    if (T > expiry) {
        return nsReserveUsed;
    }
    Reserve = reserve;
    return nsReservedPrepay;
}
} // namespace

NightSettings ReadNightSettings()
{
    return NightSettings{SettingTimeOfDay(QStringLiteral("NightBeginTime")),
                         SettingTimeOfDay(QStringLiteral("NightEndTime")),
                         LeadingInteger(GetConfigValue(QStringLiteral("NightReserveExpirationPeriod")))};
}

bool IsNightTime(const QDateTime &Moment)
{
    return IsNightTime(ReadNightSettings(), MomentOrNow(Moment));
}

QDateTime GetNightDate(const QDateTime &Moment)
{
    return GetNightDate(ReadNightSettings(), MomentOrNow(Moment));
}

void GetNightPeriod(const QDateTime &Moment, QDateTime &Begin, QDateTime &End)
{
    GetNightPeriod(ReadNightSettings(), MomentOrNow(Moment), Begin, End);
}

QDateTime GetNightReserveExpiry()
{
    return GetNightReserveExpiry(ReadNightSettings());
}

std::shared_ptr<Rollstrake::DBRecord> FindNightReserve(qint32 Num, const QDateTime &Moment)
{
    return FindReserveOfNight(Num, GetNightDate(Moment));
}

qint32 GetNightState(qint32 Num, const QDateTime &Moment, std::shared_ptr<Rollstrake::DBRecord> &Reserve)
{
    const QDateTime t = MomentOrNow(Moment);
    return GetNightState(Num, t, IsNightSeance(GetSeanceAt(Num, t)), Reserve);
}

qint32
GetNightState(qint32 Num, const QDateTime &Moment, bool NightSeanceRuns, std::shared_ptr<Rollstrake::DBRecord> &Reserve)
{
    Reserve.reset();
    if (NightSeanceRuns) {
        return nsNightSeance;
    }
    return ReserveState(ReadNightSettings(), Num, MomentOrNow(Moment), Reserve);
}

QList<qint32> ReservesLostUnder(const NightSettings &Proposed, const QDateTime &Moment)
{
    const QDateTime t = MomentOrNow(Moment);
    QList<qint32> lost;
    // Held for the loop: a range over the temporary's collection would outlive it.
    const std::shared_ptr<CompButtons> computers = GetComputers();
    for (const auto &computer : *computers) {
        const qint32 num = computer->ComputerNum();
        std::shared_ptr<Rollstrake::DBRecord> held;
        std::shared_ptr<Rollstrake::DBRecord> kept;
        GetNightState(num, t, held);
        if (!held) {
            continue;
        }
        // No night seance runs on a computer that holds a reserve, whatever the night settings.
        ReserveState(Proposed, num, t, kept);
        if (!kept || kept->Code() != held->Code()) {
            lost.append(num);
        }
    }
    return lost;
}
