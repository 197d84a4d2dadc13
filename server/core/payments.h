#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// Payments of seances and night reserves, split between a prepaid card and cash, card top-ups and
// card balances. A card has no stored balance: it is what was put on it minus what was paid from
// it, each counted up to a moment. A moment that is null or the zero date means now.
//
// A sum that cannot be read is never a sum of 0 to a caller that handles money: the forms with
// ErrString give 0 with the reason; the forms without it give 0 and log the reason.

// The sum of the card's top-ups (TopUps) or of the payments made from it, dated up to Moment.
qint32 GetCardPaysSum(const std::shared_ptr<Rollstrake::DBRecord> &Card, bool TopUps, const QDateTime &Moment);
qint32 GetCardPaysSum(const std::shared_ptr<Rollstrake::DBRecord> &Card,
                      bool TopUps,
                      const QDateTime &Moment,
                      QString &ErrString);

// Top-ups minus payments, both up to Moment; 0 for no card.
qint32 GetCardBalance(const std::shared_ptr<Rollstrake::DBRecord> &Card, const QDateTime &Moment);
qint32 GetCardBalance(const std::shared_ptr<Rollstrake::DBRecord> &Card, const QDateTime &Moment, QString &ErrString);

// How a sum splits between a card of that balance and cash, as PaySeance records it: the card takes
// part for money given back (a sum below 0) or while its balance is at least 1, and then pays the sum
// up to its balance; cash pays the rest.
struct CardCashSplit final
{
    bool CardTakesPart = false;
    qint32 Card = 0;
    qint32 Cash = 0;

    bool operator==(const CardCashSplit &) const = default;
};

CardCashSplit SplitPayment(qint32 Sum, qint32 Balance);

// Records one payment of a seance or of a reserve (the other code 0): with a card (code 1 or more),
// the part its balance now covers is written as a card payment and the rest in cash; without a card
// (0) all in cash. A sum of 0 that the card does not take still writes a cash payment of 0. Both
// parts are written or neither; an unknown card gives "Карточка не найдена!".
bool PaySeance(qint32 Seance,
               qint32 NightReserve,
               const QDateTime &PayDate,
               qint32 Card,
               qint32 Sum,
               QString &ErrString);
// The same, telling the part of Sum that was written as a card payment (0 when the card took none),
// so that the history can say how it was paid.
bool PaySeance(qint32 Seance,
               qint32 NightReserve,
               const QDateTime &PayDate,
               qint32 Card,
               qint32 Sum,
               qint32 &CardPart,
               QString &ErrString);

// One "SeancePays" record.
bool AddSeancePay(qint32 Seance,
                  qint32 NightReserve,
                  const QDateTime &PayDate,
                  qint32 Card,
                  qint32 Sum,
                  QString &ErrString);

// One "CardPays" record: a top-up of the card.
bool AddCardPay(qint32 Card, const QDateTime &PayDate, qint32 Sum, QString &ErrString);

// The code of the card with this barcode, 0 when none.
qint32 FindCardByBarcode(const QString &Barcode);
qint32 FindCardByBarcode(const QString &Barcode, QString &ErrString);

// The sum of all payments of the seance or of the reserve.
qint32 GetSeancePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Seance);
qint32 GetSeancePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Seance, QString &ErrString);
// What was paid for the seance all told: its own payments and those of the night reserves that were
// activated into it, whose prepayments stay booked against the reserve.
qint32 GetSeanceFullPaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Seance, QString &ErrString);
qint32 GetNightReservePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Reserve);
qint32 GetNightReservePaidSum(const std::shared_ptr<Rollstrake::DBRecord> &Reserve, QString &ErrString);
