#include "seances/dbseancedata.h"

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/night.h"
#include "core/rates.h"
#include "core/settingsstore.h"
#include "entitylib.h"

namespace
{
// The record, or none with a failed read logged under Where.
std::shared_ptr<Rollstrake::DBRecord> LoggedRecord(const QString &Where, const QString &TableName, qint32 Code)
{
    QString err;
    const auto record = RecordByCode(TableName, Code, err);
    LogDbError(Where, err);
    return record;
}

std::optional<SeanceData::Seance> ToSeance(const std::shared_ptr<Rollstrake::DBRecord> &record)
{
    if (!record) {
        return std::nullopt;
    }
    SeanceData::Seance seance;
    seance.Code = record->Code();
    seance.BeginDate = DateValueOf(*record, QStringLiteral("BeginDate"));
    seance.EndDate = DateValueOf(*record, QStringLiteral("EndDate"));
    seance.Downloaded = MoneyValue(*record, QStringLiteral("Downloaded"));
    seance.Uploaded = MoneyValue(*record, QStringLiteral("Uploaded"));
    seance.Desktop = IntValue(*record, QStringLiteral("Desktop"));
    seance.IsNight = IsNightSeance(record);
    seance.Record = record;
    return seance;
}

SeanceData::NightInfo ToNightInfo(qint32 State, const std::shared_ptr<Rollstrake::DBRecord> &Reserve)
{
    SeanceData::NightInfo info;
    info.State = State;
    info.HasReserve = Reserve != nullptr;
    if (Reserve) {
        info.Nickname = TextValue(*Reserve, QStringLiteral("Nickname"));
    }
    return info;
}
} // namespace

QList<qint32> DbSeanceData::ComputerNums()
{
    QList<qint32> nums;
    QString error;
    const auto records = AllRecords(QStringLiteral("Computers"), error);
    LogDbError(QStringLiteral("Список компьютеров панели"), error);
    if (records) {
        for (const auto &record : *records) {
            nums.append(IntValue(*record, QStringLiteral("Num")));
        }
    }
    return nums;
}

void DbSeanceData::ComputersChanged()
{
    GetComputerCode(0, true);
}

bool DbSeanceData::ComputerExists(qint32 Num)
{
    QString error;
    const bool found = GetComputerRecord(Num, error) != nullptr;
    // A computer that cannot be read keeps its tile.
    LogDbError(QStringLiteral("Компьютер №") + QString::number(Num), error);
    return found || !error.isEmpty();
}

QString DbSeanceData::ComputerIP(qint32 Num)
{
    return GetComputerIPByNum(Num);
}

QString DbSeanceData::ComputerName(qint32 Num)
{
    return GetComputerName(Num);
}

std::optional<SeanceData::Seance> DbSeanceData::SeanceAt(qint32 Num, const QDateTime &Moment, QString &ErrString)
{
    return ToSeance(GetSeanceAt(Num, Moment, ErrString));
}

std::optional<SeanceData::Seance> DbSeanceData::FindSeance(qint32 Code, QString &ErrString)
{
    return ToSeance(RecordByCode(QStringLiteral("Seances"), Code, ErrString));
}

std::optional<bool> DbSeanceData::DesktopAllowsInternet(qint32 Desktop)
{
    const auto record = LoggedRecord(QStringLiteral("DesktopAllowsInternet"), QStringLiteral("Desktops"), Desktop);
    if (!record) {
        return std::nullopt;
    }
    return IntValue(*record, QStringLiteral("IsInternet")) > 0;
}

bool DbSeanceData::SaveSeanceTraffic(qint32 Code, Currency Downloaded, Currency Uploaded, QString &ErrString)
{
    const auto record = RecordByCode(QStringLiteral("Seances"), Code, ErrString);
    if (!record) {
        // A seance removed meanwhile has no traffic to keep.
        return ErrString.isEmpty();
    }
    SetFieldValue(*record, QStringLiteral("Downloaded"), QVariant::fromValue(Downloaded));
    SetFieldValue(*record, QStringLiteral("Uploaded"), QVariant::fromValue(Uploaded));
    return record->Update(ErrString);
}

SeanceData::NightInfo DbSeanceData::NightState(qint32 Num, const QDateTime &Moment)
{
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    return ToNightInfo(GetNightState(Num, Moment, reserve), reserve);
}

SeanceData::NightInfo
DbSeanceData::NightStateWith(qint32 Num, const QDateTime &Moment, const std::optional<Seance> &Running)
{
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    return ToNightInfo(GetNightState(Num, Moment, Running && Running->IsNight, reserve), reserve);
}

bool DbSeanceData::IsNightTime(const QDateTime &Moment)
{
    return ::IsNightTime(Moment);
}

QString DbSeanceData::ConfigValue(const QString &Name)
{
    return GetConfigValue(Name);
}

std::optional<QString> DbSeanceData::ShortcutCaption(qint32 Code)
{
    const auto record = LoggedRecord(QStringLiteral("ShortcutCaption"), QStringLiteral("Shortcuts"), Code);
    if (!record) {
        return std::nullopt;
    }
    return TextValue(*record, QStringLiteral("Caption"));
}
