#include "core/settingsstore.h"

#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "datevalue.h"
#include "textdates.h"

#include <QHash>

#include <memory>
#include <utility>

namespace
{
const QString ConfigTable = QStringLiteral("Config");
const QString NameField = QStringLiteral("FieldName");
const QString ValueField = QStringLiteral("FieldValue");

constexpr qint32 LogError = 0;
constexpr qint32 LogInformation = 1;

std::shared_ptr<Rollstrake::DBRecord> FindSetting(const QString &Name, QString &ErrString)
{
    const auto table = DBTable(ConfigTable, ErrString);
    return table ? table->GetRecordByFieldValue(NameField, Name, ErrString) : nullptr;
}

// The values read so far, kept while the table "Config" of the started database is unchanged:
// every save goes through the library, which counts the table's changes (a rollback counts too), so
// a save is seen by the next read. Every refresh of every tile reads the same few settings.
struct SettingsCache
{
    std::weak_ptr<Rollstrake::Table> Table;
    quint64 ChangeCount = 0;
    QHash<QString, QString> Values;
};

SettingsCache &Cache()
{
    static SettingsCache cache;
    return cache;
}

QString TimeOfDayDefault(int Hours)
{
    return DateToString(DateValue::Make(1899, 12, 30, Hours, 0, 0), true, QStringLiteral("/"));
}
} // namespace

QString GetConfigValue(const QString &Name)
{
    QString err;
    const QString value = GetConfigValue(Name, err);
    if (!err.isEmpty()) {
        MainLog().Log(err, LogInformation);
    }
    return value;
}

QString GetConfigValue(const QString &Name, QString &ErrString)
{
    ErrString.clear();
    const auto table = DBTable(ConfigTable, ErrString);
    if (!table) {
        return {};
    }
    SettingsCache &cache = Cache();
    if (cache.Table.lock() != table || cache.ChangeCount != table->ChangeCount()) {
        cache = SettingsCache{table, table->ChangeCount(), {}};
    }
    const auto known = cache.Values.constFind(Name);
    if (known != cache.Values.cend()) {
        return known.value();
    }
    const auto record = table->GetRecordByFieldValue(NameField, Name, ErrString);
    const auto field = record ? record->DBFields()->Item(ValueField) : nullptr;
    const QString value = field ? field->GetStringValue(ErrString) : QString();
    if (!ErrString.isEmpty()) {
        ErrString = QStringLiteral("Настройка '") + Name + QStringLiteral("': ") + ErrString;
        // A read that failed is tried again next time.
        return value;
    }
    cache.Values.insert(Name, value);
    return value;
}

void SetConfigValue(const QString &Name, const QString &Value)
{
    QString err;
    auto record = FindSetting(Name, err);
    if (!err.isEmpty()) {
        MainLog().Log(err, LogInformation);
        err.clear();
    }
    if (!record) {
        const auto table = DBTable(ConfigTable, err);
        record = table ? table->GetNewRecord() : nullptr;
        if (!record) {
            MainLog().Log(err.isEmpty()
                              ? QStringLiteral("Невозможно создать запись настройки '") + Name + QStringLiteral("'!")
                              : err,
                          LogError);
            return;
        }
        SetFieldValue(*record, NameField, Name);
    }
    SetFieldValue(*record, ValueField, Value);
    if (!record->Update(err)) {
        MainLog().Log(err, LogError);
    }
}

void SetDefaultSettings()
{
    const std::pair<QString, QString> defaults[] = {
        {QStringLiteral("OnLineStatusCheckInterval"), QStringLiteral("1")},
        {QStringLiteral("OffLineStatusCheckInterval"), QStringLiteral("5")},
        {QStringLiteral("SeanceAlarmTime"), QStringLiteral("2")},
        {QStringLiteral("SeancesRefreshInterval"), QStringLiteral("20")},
        {QStringLiteral("NightReserveExpirationPeriod"), QStringLiteral("30")},
        {QStringLiteral("NightBeginTime"), TimeOfDayDefault(23)},
        {QStringLiteral("NightEndTime"), TimeOfDayDefault(8)},
        {QStringLiteral("InternetAvailable"), QStringLiteral("0")},
        {QStringLiteral("ProxyPort"), QStringLiteral("6666")},
        {QStringLiteral("ProxyConnectTimeout"), QStringLiteral("5")},
        {QStringLiteral("HourDownloadLimit"), QStringLiteral("0")},
        {QStringLiteral("HourUploadLimit"), QStringLiteral("0")},
    };
    for (const auto &[name, value] : defaults) {
        if (GetConfigValue(name).isEmpty()) {
            SetConfigValue(name, value);
        }
    }
}
