#include "core/programseancedata.h"

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/night.h"
#include "core/rates.h"
#include "core/settingsstore.h"

namespace
{
std::shared_ptr<Rollstrake::DBRecord> RecordByCode(const QString &TableName, qint32 Code)
{
    QString err;
    const auto table = DBTable(TableName, err);
    return table && Code > 0 ? table->GetDBRecordByCode(Code, err) : nullptr;
}

SeanceData::Seance ReadSeance(const std::shared_ptr<Rollstrake::DBRecord> &Record)
{
    SeanceData::Seance seance;
    seance.Code = Record->Code();
    seance.BeginDate = DateValueOf(*Record, QStringLiteral("BeginDate"));
    seance.EndDate = DateValueOf(*Record, QStringLiteral("EndDate"));
    seance.Downloaded = MoneyValue(*Record, QStringLiteral("Downloaded"));
    seance.Uploaded = MoneyValue(*Record, QStringLiteral("Uploaded"));
    seance.Desktop = IntValue(*Record, QStringLiteral("Desktop"));
    seance.IsNight = IsNightSeance(Record);
    return seance;
}

std::shared_ptr<Rollstrake::DBRecord> ComputerRecord(qint32 Num)
{
    QString err;
    return GetComputerRecord(Num, err);
}
} // namespace

QList<qint32> ProgramSeanceData::ComputerNums()
{
    QList<qint32> nums;
    QString err;
    const auto table = DBTable(QStringLiteral("Computers"), err);
    if (const auto records = table ? table->GetDBRecords(nullptr, err) : nullptr) {
        for (const auto &record : *records) {
            nums.append(IntValue(*record, QStringLiteral("Num")));
        }
    }
    return nums;
}

bool ProgramSeanceData::ComputerExists(qint32 Num)
{
    return ComputerRecord(Num) != nullptr;
}

QString ProgramSeanceData::ComputerIP(qint32 Num)
{
    const auto computer = ComputerRecord(Num);
    return computer ? TextValue(*computer, QStringLiteral("IP")) : QString();
}

QString ProgramSeanceData::ComputerName(qint32 Num)
{
    const auto computer = ComputerRecord(Num);
    if (!computer) {
        return QString();
    }
    const QString name = TextValue(*computer, QStringLiteral("Name"));
    return name.isEmpty() ? QString::number(Num) : QString::number(Num) + QStringLiteral(": ") + name;
}

std::optional<SeanceData::Seance> ProgramSeanceData::SeanceAt(qint32 Num, const QDateTime &Moment)
{
    const auto record = GetSeanceAt(Num, Moment);
    return record ? std::optional<Seance>(ReadSeance(record)) : std::nullopt;
}

std::optional<SeanceData::Seance> ProgramSeanceData::FindSeance(qint32 Code)
{
    const auto record = RecordByCode(QStringLiteral("Seances"), Code);
    return record ? std::optional<Seance>(ReadSeance(record)) : std::nullopt;
}

std::optional<bool> ProgramSeanceData::DesktopAllowsInternet(qint32 Desktop)
{
    const auto record = RecordByCode(QStringLiteral("Desktops"), Desktop);
    return record ? std::optional<bool>(IntValue(*record, QStringLiteral("IsInternet")) != 0) : std::nullopt;
}

bool ProgramSeanceData::SaveSeanceTraffic(qint32 Code, Currency Downloaded, Currency Uploaded, QString &ErrString)
{
    const auto record = RecordByCode(QStringLiteral("Seances"), Code);
    if (!record) {
        ErrString = QStringLiteral("Сеанс с кодом ") + QString::number(Code) + QStringLiteral(" не найден!");
        return false;
    }
    SetFieldValue(*record, QStringLiteral("Downloaded"), QVariant::fromValue(Downloaded));
    SetFieldValue(*record, QStringLiteral("Uploaded"), QVariant::fromValue(Uploaded));
    return record->Update(ErrString);
}

SeanceData::NightInfo ProgramSeanceData::NightState(qint32 Num, const QDateTime &Moment)
{
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    NightInfo info;
    info.State = GetNightState(Num, Moment, reserve);
    info.HasReserve = reserve != nullptr;
    if (reserve) {
        info.Nickname = TextValue(*reserve, QStringLiteral("Nickname"));
    }
    return info;
}

bool ProgramSeanceData::IsNightTime(const QDateTime &Moment)
{
    return ::IsNightTime(Moment);
}

QString ProgramSeanceData::ConfigValue(const QString &Name)
{
    return GetConfigValue(Name);
}

std::optional<QString> ProgramSeanceData::ShortcutCaption(qint32 Code)
{
    const auto record = RecordByCode(QStringLiteral("Shortcuts"), Code);
    return record ? std::optional<QString>(TextValue(*record, QStringLiteral("Caption"))) : std::nullopt;
}
