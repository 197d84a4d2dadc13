#pragma once

#include "currency.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class CompButtons;
class Date;
class Numeric;
class QWidget;

namespace Rollstrake
{
class DBRecord;
}

// What the seance dialogs share: the error box, the sums they can show and the computers chosen on
// their grid (the payment and the writes of an Apply are in payandwrite.h).
namespace SeanceDialogs
{
// The largest sum (or difference either way) that the dialogs show and take: six digits.
constexpr qint32 MaxSum = 999999;

// A sum input of whole roubles with six digits, grouped; Signed for differences and refunds.
void SetUpSumInput(Numeric *Input, bool Signed);
// The whole roubles a sum input shows.
qint32 WholeValue(const Numeric *Input);
// The amount rounded up to whole roubles (RoundUpSum), saturated at the 32-bit limits.
qint32 RoundedUpRoubles(Currency Value);
// A day input that always holds a day, given as a date-time at 00:00:00 (a seance's end, a night).
void SetUpRequiredDay(Date *Input);

// The dialogs' error box: Text with the critical icon, one OK button and the title "Внимание!".
void ShowError(QWidget *Dialog, const QString &Text);
// The box of a list found empty: Text, or, when the empty list comes from a lost connection, the
// box that says the database is away.
void ShowMissing(QWidget *Dialog, const QString &Text);
// The box of a failed read or write, also written to the main log.
void ShowFailure(QWidget *Dialog, const QString &Text);

// The numbers of the entries that are selected and enabled, in the collection's order.
QList<qint32> SelectedComputers(const CompButtons &Buttons);

// The record of the table with this code; none with the reason: the library's text, or that no
// record has the code.
std::shared_ptr<Rollstrake::DBRecord> FindRecord(const QString &TableName, qint32 Code, QString &Reason);

// A new, unsaved record of the table; none with the reason.
std::shared_ptr<Rollstrake::DBRecord> NewRecord(const QString &TableName, QString &ErrString);

// The price of one whole night on one computer at a night rate (its price per hour), rounded up to
// whole roubles.
qint32 NightPrice(const Rollstrake::DBRecord &Rate);

// A night seance begun at Begin ends with the night around it; Minutes from Begin to End.
struct SeanceSpan final
{
    QDateTime End;
    qint32 Minutes = 0;
};

SeanceSpan NightSeanceSpan(const QDateTime &Begin);

// Saves a new "Seances" record of the computer; none with the reason.
std::shared_ptr<Rollstrake::DBRecord> AddSeanceRecord(qint32 ComputerNum,
                                                      qint32 Desktop,
                                                      qint32 Rate,
                                                      const QDateTime &Begin,
                                                      const SeanceSpan &Span,
                                                      QString &ErrString);

// The last check of an Apply that reads its sum again: true when Shown, the sum read again, is the
// sum Seen by the operator when OK was pressed. A changed sum is only charged at an OK pressed after it
// was shown: a box names it and the dialog stays open with it.
bool SumAsSeen(QWidget *Dialog, qint32 Seen, qint32 Shown);
} // namespace SeanceDialogs
