#include "core/rates.h"

#include "core/dbvalues.h"
#include "core/seancearithmetic.h"

namespace
{
const QString RatesTable = QStringLiteral("Rates");

// The record, or none with the failure logged under Where.
std::shared_ptr<Rollstrake::DBRecord> LoggedRecord(const QString &Where, const QString &TableName, qint32 Code)
{
    QString err;
    const auto record = RecordByCode(TableName, Code, err);
    LogDbError(Where, err);
    return record;
}

bool GetRatePrice(qint32 Rate, Currency &PriceForHour, QString &ErrString)
{
    if (Rate == 0) {
        ErrString = QStringLiteral("РЕЖИМ АВТОМАТИЧЕСКОГО ТАРИФА ЕЩЁ НЕ РЕАЛИЗОВАН!");
        return false;
    }
    QString err;
    const auto record = RecordByCode(RatesTable, Rate, err);
    if (!record) {
        ErrString = err.isEmpty() ? QStringLiteral("Тариф не найден!") : err;
        return false;
    }
    PriceForHour = MoneyValue(*record, QStringLiteral("PriceForHour"));
    return true;
}

RatePriceSource PriceOfRate(qint32 Rate)
{
    return [Rate](Currency &PriceForHour, QString &ErrString) {
        return GetRatePrice(Rate, PriceForHour, ErrString);
    };
}

QString NameOf(const QString &TableName, qint32 Code)
{
    const auto record = LoggedRecord(QStringLiteral("Имя записи ") + TableName, TableName, Code);
    return record ? TextValue(*record, QStringLiteral("Name")) : QString();
}

QString NewName(const QString &TableName, const QString &Prefix)
{
    QString err;
    const auto table = DBTable(TableName, err);
    for (qint32 n = 1;; ++n) {
        const QString name = Prefix + QString::number(n);
        // Where the names cannot be read, this one is offered: saving it checks uniqueness again.
        if (!table || !table->GetRecordByFieldValue(QStringLiteral("Name"), name, err)) {
            LogDbError(QStringLiteral("Новое имя в ") + TableName, err);
            return name;
        }
    }
}
} // namespace

bool GetSumForDuration(qint32 Rate, const QDateTime &Begin, const QDateTime &End, qint32 &Sum, QString &ErrString)
{
    Currency price;
    return GetRatePrice(Rate, price, ErrString) && PriceForMinutes(price, MinutesBetween(Begin, End), Sum, ErrString);
}

bool GetDurationForSum(qint32 Rate, qint32 Sum, qint32 &Minutes, QString &ErrString)
{
    Currency price;
    return GetRatePrice(Rate, price, ErrString) && MinutesForSum(price, Sum, Minutes, ErrString);
}

bool CalcSeance(qint32 Rate, const QDateTime &Begin, QDateTime &End, qint32 &Minutes, qint32 &Sum, QString &ErrString)
{
    return CalcSeanceAtPrice(PriceOfRate(Rate), Begin, End, Minutes, Sum, ErrString);
}

qint32 GetRateForTime(const QDateTime &Moment, bool IsNight)
{
    QString err;
    const auto records = AllRecords(RatesTable, err);
    if (!records) {
        LogDbError(QStringLiteral("GetRateForTime"), err);
        return 0;
    }
    QList<RateTerms> rates;
    for (const auto &record : *records) {
        rates.append(RateTerms{record->Code(),
                               IntValue(*record, QStringLiteral("IsNight")),
                               IntValue(*record, QStringLiteral("DaysOfWeek")),
                               DateValueOf(*record, QStringLiteral("TimeFrom")).time(),
                               DateValueOf(*record, QStringLiteral("TimeTo")).time(),
                               MoneyValue(*record, QStringLiteral("PriceForHour"))});
    }
    return ChooseRateForTime(rates, MomentOrNow(Moment), IsNight);
}

bool IsFreeRate(qint32 Rate)
{
    const auto record = LoggedRecord(QStringLiteral("IsFreeRate"), RatesTable, Rate);
    return record && MoneyValue(*record, QStringLiteral("PriceForHour")) == Currency();
}

bool IsNightSeance(const std::shared_ptr<Rollstrake::DBRecord> &Seance)
{
    if (!Seance) {
        return false;
    }
    const auto rateField = Seance->DBFields()->Item(QStringLiteral("Rate"));
    QString err;
    const auto rate = rateField ? rateField->GetForeignKeyDBRecord(err) : nullptr;
    LogDbError(QStringLiteral("IsNightSeance"), err);
    return rate && IntValue(*rate, QStringLiteral("IsNight")) > 0;
}

bool IsNightSeance(qint32 SeanceCode)
{
    return IsNightSeance(LoggedRecord(QStringLiteral("IsNightSeance"), QStringLiteral("Seances"), SeanceCode));
}

QString GetRateName(qint32 Code)
{
    return NameOf(RatesTable, Code);
}

QString GetDesktopName(qint32 Code)
{
    return NameOf(QStringLiteral("Desktops"), Code);
}

QString NewRateName()
{
    return NewName(RatesTable, QStringLiteral("Новый тариф "));
}

QString NewServiceName()
{
    return NewName(QStringLiteral("ServiceTypes"), QStringLiteral("Новая услуга "));
}
