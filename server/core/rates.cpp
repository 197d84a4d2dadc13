#include "core/rates.h"

#include "core/dbvalues.h"
#include "core/seancearithmetic.h"

namespace
{
const QString RatesTable = QStringLiteral("Rates");

std::shared_ptr<Rollstrake::DBRecord> RecordByCode(const QString &TableName, qint32 Code, QString &ErrString)
{
    const auto table = DBTable(TableName, ErrString);
    return table ? table->GetDBRecordByCode(Code, ErrString) : nullptr;
}

bool GetRatePrice(qint32 Rate, Currency &PriceForHour, QString &ErrString)
{
    if (Rate == 0) {
        ErrString = QStringLiteral("РЕЖИМ АВТОМАТИЧЕСКОГО ТАРИФА ЕЩЁ НЕ РЕАЛИЗОВАН!");
        return false;
    }
    QString ignored;
    const auto record = RecordByCode(RatesTable, Rate, ignored);
    if (!record) {
        ErrString = QStringLiteral("Тариф не найден!");
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
    QString ignored;
    const auto record = RecordByCode(TableName, Code, ignored);
    return record ? TextValue(*record, QStringLiteral("Name")) : QString();
}

QString NewName(const QString &TableName, const QString &Prefix)
{
    QString err;
    const auto table = DBTable(TableName, err);
    for (qint32 n = 1;; ++n) {
        const QString name = Prefix + QString::number(n);
        if (!table || !table->GetRecordByFieldValue(QStringLiteral("Name"), name, err)) {
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
    const auto table = DBTable(RatesTable, err);
    const auto records = table ? table->GetDBRecords(nullptr, err) : nullptr;
    if (!records) {
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
    QString ignored;
    const auto record = RecordByCode(RatesTable, Rate, ignored);
    return record && MoneyValue(*record, QStringLiteral("PriceForHour")) == Currency();
}

bool IsNightSeance(const std::shared_ptr<Rollstrake::DBRecord> &Seance)
{
    if (!Seance) {
        return false;
    }
    const auto rateField = Seance->DBFields()->Item(QStringLiteral("Rate"));
    QString ignored;
    const auto rate = rateField ? rateField->GetForeignKeyDBRecord(ignored) : nullptr;
    return rate && IntValue(*rate, QStringLiteral("IsNight")) > 0;
}

bool IsNightSeance(qint32 SeanceCode)
{
    QString ignored;
    return IsNightSeance(RecordByCode(QStringLiteral("Seances"), SeanceCode, ignored));
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
