#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;
class WrittenComputers;

// The seance dialogs' Apply: the payment dialog, then one transaction for each computer's writes.
namespace SeanceDialogs
{
// Writes one computer's changes (its seance, payments and history line) with the card chosen.
using ComputerWrite = std::function<bool(qint32 ComputerNum, qint32 Card, QString &ErrString)>;

// The end of a seance dialog's Apply: "Не выбран ни один компьютер!" without computers; otherwise
// asks how Price is paid (frmPayment::TakePayment), then writes
// the computers in their order, each as one transaction (the transactions of the writes join it), and
// adds each one written to Written. The first failure stops, after its box: the computers before it
// keep what was written, it and the later ones get nothing. True when every computer was written.
bool PayAndWrite(QWidget *Dialog,
                 qint32 Price,
                 const QList<qint32> &Computers,
                 const ComputerWrite &Write,
                 WrittenComputers &Written);

// The same for a dialog of one computer, which is written whole or not at all.
bool PayAndWrite(QWidget *Dialog, qint32 Price, qint32 Computer, const ComputerWrite &Write);
} // namespace SeanceDialogs
