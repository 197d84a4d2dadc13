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
    QString err;
    const auto computer = GetComputerRecord(Num, err);
    const auto table = DBTable(QStringLiteral("NightReserves"), err);
    // Without a computer the empty condition would drop out of the filter and find any reserve.
    if (!computer || !table) {
        return nullptr;
    }
    const auto filter = table->GetNewFilter();
    filter->Item(QStringLiteral("NightDate"))->SetValue(GetNightDate(Moment));
    filter->Item(QStringLiteral("Computer"))->SetValue(computer->Code());
    const auto records = table->GetDBRecords(filter, err);
    return records ? records->GetByIndex(1) : nullptr;
}

qint32 GetNightState(qint32 Num, const QDateTime &Moment, std::shared_ptr<Rollstrake::DBRecord> &Reserve)
{
    Reserve.reset();
    const QDateTime t = MomentOrNow(Moment);
    if (IsNightSeance(GetSeanceAt(Num, t))) {
        return nsNightSeance;
    }
    const auto reserve = FindNightReserve(Num, t);
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
    const QDateTime expiry =
        NightReserveExpiryMoment(ReadNightSettings(), DateValueOf(*reserve, QStringLiteral("NightDate")));
    if (t > expiry) {
        return nsReserveUsed;
    }
    Reserve = reserve;
    return nsReservedPrepay;
}
