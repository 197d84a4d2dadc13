#include "core/dbvalues.h"

#include "core/mainlog.h"

#include <cmath>
#include <limits>

std::shared_ptr<Rollstrake::Table> DBTable(const QString &Name, QString &ErrString)
{
    const auto root = Rollstrake::Root::StartedRoot();
    auto table = root ? root->Tables()->Item(Name) : nullptr;
    if (!table) {
        ErrString = QStringLiteral("Таблица '") + Name + QStringLiteral("' недоступна!");
    }
    return table;
}

std::shared_ptr<Rollstrake::DBRecord> RecordByCode(const QString &TableName, qint32 Code, QString &ErrString)
{
    ErrString.clear();
    if (Code <= 0) {
        return nullptr;
    }
    const auto table = DBTable(TableName, ErrString);
    return table ? table->GetDBRecordByCode(Code, ErrString) : nullptr;
}

std::shared_ptr<Rollstrake::DBRecords> AllRecords(const QString &TableName, QString &ErrString)
{
    const auto table = DBTable(TableName, ErrString);
    return table ? table->GetDBRecords(nullptr, ErrString) : nullptr;
}

void LogDbError(const QString &Where, const QString &ErrString)
{
    if (!ErrString.isEmpty()) {
        MainLog().Log(Where + QStringLiteral(": ") + ErrString, Logger::KindError);
    }
}

QVariant FieldValue(const Rollstrake::DBRecord &Record, const QString &Name)
{
    const auto field = Record.DBFields()->Item(Name);
    return field ? field->Value() : QVariant();
}

qint32 IntValue(const Rollstrake::DBRecord &Record, const QString &Name)
{
    const double value = FieldValue(Record, Name).toDouble();
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<qint32>(qBound(double(std::numeric_limits<qint32>::min()),
                                      std::nearbyint(value),
                                      double(std::numeric_limits<qint32>::max())));
}

QString TextValue(const Rollstrake::DBRecord &Record, const QString &Name)
{
    return FieldValue(Record, Name).toString();
}

QDateTime DateValueOf(const Rollstrake::DBRecord &Record, const QString &Name)
{
    return FieldValue(Record, Name).toDateTime();
}

Currency MoneyValue(const Rollstrake::DBRecord &Record, const QString &Name)
{
    const QVariant value = FieldValue(Record, Name);
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        return value.value<Currency>();
    }
    return Currency::FromDouble(value.toDouble());
}

void SetFieldValue(Rollstrake::DBRecord &Record, const QString &Name, const QVariant &Value)
{
    if (const auto field = Record.DBFields()->Item(Name)) {
        field->SetValue(Value);
    }
}

qint32 Saturated32(qint64 Value)
{
    return static_cast<qint32>(
        qBound(qint64(std::numeric_limits<qint32>::min()), Value, qint64(std::numeric_limits<qint32>::max())));
}
