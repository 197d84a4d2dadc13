#pragma once

#include "core/historytexts.h"
#include "currency.h"

#include <QList>
#include <QString>

#include <functional>

class CompButtons;
class Date;
class Numeric;
class QWidget;

// What the seance dialogs share: the error box, the sums they can show, the computers chosen on their
// grid and the one transaction of each computer's writes.
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
// The day of a seance's end: a date-time value, never empty.
void SetUpEndDate(Date *Input);

// The dialogs' error box: Text with the critical icon, one OK button and the title "Внимание!".
void ShowError(QWidget *Dialog, const QString &Text);

// The numbers of the entries that are selected and enabled, in the collection's order.
QList<qint32> SelectedComputers(const CompButtons &Buttons);

// How a payment with this card code (0 for cash) is named in a history line.
PaymentKind PaymentOf(qint32 Card);

// Writes one computer's changes (its seance, payments and history line) with the card chosen.
using ComputerWrite = std::function<bool(qint32 ComputerNum, qint32 Card, QString &ErrString)>;

// The end of a seance dialog's Apply: "Не выбран ни один компьютер!" without computers; otherwise
// asks how Price is paid (frmPayment::TakePayment), then writes
// the computers in their order, each as one transaction (the transactions of the writes join it). The
// first failure stops, after its box: the computers before it keep what was written, it and the later
// ones get nothing. True when every computer was written.
bool PayAndWrite(QWidget *Dialog, qint32 Price, const QList<qint32> &Computers, const ComputerWrite &Write);
} // namespace SeanceDialogs
