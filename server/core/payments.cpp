#include "core/payments.h"

#include "core/dbvalues.h"
#include "core/seancearithmetic.h"

#include <cmath>

namespace
{
const QString SumField = QStringLiteral("Sum");

// Whole roubles of an aggregate of "Sum": an invalid total (a failed read) is 0, its reason in the
// caller's error text.
qint64 WholeSum(const QVariant &Total)
{
    const double value = Total.isValid() ? Total.toDouble() : 0.0;
    return std::isfinite(value) ? static_cast<qint64>(std::llround(value)) : 0;
}

qint32 PaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Record, QString &ErrString)
{
    ErrString.clear();
    const auto pays = Record ? Record->DBFields()->Item(QStringLiteral("Pays")) : nullptr;
    const auto table = pays ? pays->LinkedTable(ErrString) : nullptr;
    if (!table) {
        return 0;
    }
    // One aggregate over the seance's payments, which are not read one by one.
    const auto filter = table->GetNewFilter();
    const auto slot = filter->Item(pays->Field()->FieldForLookup());
    if (!slot) {
        return 0;
    }
    slot->SetValue(Record->Code());
    slot->SetIncludeEmpty(true);
    return Saturated32(WholeSum(table->GetSum(SumField, filter, ErrString)));
}

// The value of a lookup, its failure logged under Where.
template <typename Lookup>
auto Logged(const QString &Where, Lookup lookup)
{
    QString err;
    const auto value = lookup(err);
    LogDbError(Where, err);
    return value;
}

std::shared_ptr<Rollstrake::DBRecord> NewRecord(const QString &TableName, QString &ErrString)
{
    const auto table = DBTable(TableName, ErrString);
    auto record = table ? table->GetNewRecord() : nullptr;
    if (table && !record) {
        ErrString = QStringLiteral("Невозможно создать запись таблицы '") + TableName + QStringLiteral("'!");
    }
    return record;
}
} // namespace

qint32 GetCardPaysSum(const std::shared_ptr<Rollstrake::DBRecord> &Card, bool TopUps, const QDateTime &Moment)
{
    return Logged(QStringLiteral("GetCardPaysSum"),
                  [&](QString &err) { return GetCardPaysSum(Card, TopUps, Moment, err); });
}

qint32 GetCardPaysSum(const std::shared_ptr<Rollstrake::DBRecord> &Card,
                      bool TopUps,
                      const QDateTime &Moment,
                      QString &ErrString)
{
    ErrString.clear();
    if (!Card || Card->Code() <= 0) {
        return 0;
    }
    // Only the card's payments up to the moment are read.
    const auto table = DBTable(TopUps ? QStringLiteral("CardPays") : QStringLiteral("SeancePays"), ErrString);
    if (!table) {
        return 0;
    }
    const auto filter = table->GetNewFilter();
    filter->Item(QStringLiteral("Card"))->SetValue(Card->Code());
    const auto payDate = filter->Item(QStringLiteral("PayDate"));
    payDate->SetCondition(Rollstrake::cLessOrEqual);
    payDate->SetValue(MomentOrNow(Moment));
    // One aggregate, however many payments the card has had.
    return Saturated32(WholeSum(table->GetSum(SumField, filter, ErrString)));
}

qint32 GetCardBalance(const std::shared_ptr<Rollstrake::DBRecord> &Card, const QDateTime &Moment)
{
    return Logged(QStringLiteral("GetCardBalance"), [&](QString &err) { return GetCardBalance(Card, Moment, err); });
}

qint32 GetCardBalance(const std::shared_ptr<Rollstrake::DBRecord> &Card, const QDateTime &Moment, QString &ErrString)
{
    const QDateTime t = MomentOrNow(Moment);
    const qint32 topUps = GetCardPaysSum(Card, true, t, ErrString);
    if (!ErrString.isEmpty()) {
        return 0;
    }
    const qint32 paid = GetCardPaysSum(Card, false, t, ErrString);
    return ErrString.isEmpty() ? Saturated32(qint64(topUps) - paid) : 0;
}

CardCashSplit SplitPayment(qint32 Sum, qint32 Balance)
{
    if (Sum >= 0 && Balance < 1) {
        return {false, 0, Sum};
    }
    const qint32 card = Sum <= Balance ? Sum : Balance;
    return {true, card, Saturated32(qint64(Sum) - card)};
}

bool PaySeance(qint32 Seance,
               qint32 NightReserve,
               const QDateTime &PayDate,
               qint32 Card,
               qint32 Sum,
               QString &ErrString)
{
    qint32 cardPart = 0;
    return PaySeance(Seance, NightReserve, PayDate, Card, Sum, cardPart, ErrString);
}

bool PaySeance(qint32 Seance,
               qint32 NightReserve,
               const QDateTime &PayDate,
               qint32 Card,
               qint32 Sum,
               qint32 &CardPart,
               QString &ErrString)
{
    CardPart = 0;
    Rollstrake::Transaction transaction;
    if (!transaction.Begin(ErrString)) {
        return false;
    }
    qint32 cardPart = 0;
    qint32 rest = Sum;
    if (Card >= 1) {
        const auto card = RecordByCode(QStringLiteral("Cards"), Card, ErrString);
        if (!card) {
            if (ErrString.isEmpty()) {
                ErrString = QStringLiteral("Карточка не найдена!");
            }
            return false;
        }
        // The balance of now, whatever the payment's date; unread, nothing is paid.
        const qint32 balance = GetCardBalance(card, QDateTime(), ErrString);
        if (!ErrString.isEmpty()) {
            return false;
        }
        const CardCashSplit split = SplitPayment(Sum, balance);
        if (split.CardTakesPart) {
            cardPart = split.Card;
            if (!AddSeancePay(Seance, NightReserve, PayDate, Card, cardPart, ErrString)) {
                return false;
            }
            rest = split.Cash;
        }
    }
    if ((rest != 0 || cardPart == 0) && !AddSeancePay(Seance, NightReserve, PayDate, 0, rest, ErrString)) {
        return false;
    }
    if (!transaction.Commit(ErrString)) {
        return false;
    }
    CardPart = cardPart;
    return true;
}

bool AddSeancePay(qint32 Seance,
                  qint32 NightReserve,
                  const QDateTime &PayDate,
                  qint32 Card,
                  qint32 Sum,
                  QString &ErrString)
{
    const auto record = NewRecord(QStringLiteral("SeancePays"), ErrString);
    if (!record) {
        return false;
    }
    SetFieldValue(*record, QStringLiteral("Seance"), Seance);
    SetFieldValue(*record, QStringLiteral("NightReserve"), NightReserve);
    SetFieldValue(*record, QStringLiteral("PayDate"), PayDate);
    SetFieldValue(*record, QStringLiteral("Card"), Card);
    SetFieldValue(*record, SumField, Sum);
    return record->Update(ErrString);
}

bool AddCardPay(qint32 Card, const QDateTime &PayDate, qint32 Sum, QString &ErrString)
{
    const auto record = NewRecord(QStringLiteral("CardPays"), ErrString);
    if (!record) {
        return false;
    }
    SetFieldValue(*record, QStringLiteral("Card"), Card);
    SetFieldValue(*record, QStringLiteral("PayDate"), PayDate);
    SetFieldValue(*record, SumField, Sum);
    return record->Update(ErrString);
}

qint32 FindCardByBarcode(const QString &Barcode)
{
    return Logged(QStringLiteral("FindCardByBarcode"), [&](QString &err) { return FindCardByBarcode(Barcode, err); });
}

qint32 FindCardByBarcode(const QString &Barcode, QString &ErrString)
{
    ErrString.clear();
    const auto table = DBTable(QStringLiteral("Cards"), ErrString);
    const auto card = table ? table->GetRecordByFieldValue(QStringLiteral("Barcode"), Barcode, ErrString) : nullptr;
    return card ? card->Code() : 0;
}

qint32 GetSeancePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Seance)
{
    return Logged(QStringLiteral("GetSeancePaidSum"), [&](QString &err) { return PaidSum(Seance, err); });
}

qint32 GetSeancePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Seance, QString &ErrString)
{
    return PaidSum(Seance, ErrString);
}

qint32 GetSeanceFullPaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Seance, QString &ErrString)
{
    qint64 total = PaidSum(Seance, ErrString);
    if (!ErrString.isEmpty() || !Seance) {
        return 0;
    }
    const auto reservesField = Seance->DBFields()->Item(QStringLiteral("NightReserves"));
    if (!reservesField) {
        ErrString = QStringLiteral("В таблице 'Seances' нет поля 'NightReserves'!");
        return 0;
    }
    const auto reserves = reservesField->LookupTable(ErrString);
    if (!reserves) {
        return 0;
    }
    for (const auto &reserve : *reserves) {
        total += PaidSum(reserve, ErrString);
        if (!ErrString.isEmpty()) {
            return 0;
        }
    }
    return Saturated32(total);
}

qint32 GetNightReservePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Reserve)
{
    return Logged(QStringLiteral("GetNightReservePaidSum"), [&](QString &err) { return PaidSum(Reserve, err); });
}

qint32 GetNightReservePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Reserve, QString &ErrString)
{
    return PaidSum(Reserve, ErrString);
}
