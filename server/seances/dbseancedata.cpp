#include "seances/dbseancedata.h"

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/night.h"
#include "core/rates.h"
#include "core/settingsstore.h"
#include "entitylib.h"

namespace
{
std::shared_ptr<Rollstrake::DBRecord> RecordByCode(const QString &TableName, qint32 Code)
{
    if (Code <= 0) {
        return nullptr;
    }
    QString error;
    const auto table = DBTable(TableName, error);
    return table ? table->GetDBRecordByCode(Code, error) : nullptr;
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
    const auto table = DBTable(QStringLiteral("Computers"), error);
    const auto records = table ? table->GetDBRecords(nullptr, error) : nullptr;
    if (records) {
        for (const auto &record : *records) {
            nums.append(IntValue(*record, QStringLiteral("Num")));
        }
    }
    return nums;
}

bool DbSeanceData::ComputerExists(qint32 Num)
{
    QString error;
    return GetComputerRecord(Num, error) != nullptr;
}

QString DbSeanceData::ComputerIP(qint32 Num)
{
    return GetComputerIPByNum(Num);
}

QString DbSeanceData::ComputerName(qint32 Num)
{
    return GetComputerName(Num);
}

std::optional<SeanceData::Seance> DbSeanceData::SeanceAt(qint32 Num, const QDateTime &Moment)
{
    return ToSeance(GetSeanceAt(Num, Moment));
}

std::optional<SeanceData::Seance> DbSeanceData::FindSeance(qint32 Code)
{
    return ToSeance(RecordByCode(QStringLiteral("Seances"), Code));
}

std::optional<bool> DbSeanceData::DesktopAllowsInternet(qint32 Desktop)
{
    const auto record = RecordByCode(QStringLiteral("Desktops"), Desktop);
    if (!record) {
        return std::nullopt;
    }
    return IntValue(*record, QStringLiteral("IsInternet")) > 0;
}

bool DbSeanceData::SaveSeanceTraffic(qint32 Code, Currency Downloaded, Currency Uploaded, QString &ErrString)
{
    const auto record = RecordByCode(QStringLiteral("Seances"), Code);
    if (!record) {
        return true;
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
    const auto record = RecordByCode(QStringLiteral("Shortcuts"), Code);
    if (!record) {
        return std::nullopt;
    }
    return TextValue(*record, QStringLiteral("Caption"));
}
