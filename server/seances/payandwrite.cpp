#include "seances/payandwrite.h"

#include "core/databaselink.h"
#include "entitylib.h"
#include "seances/dialogsupport.h"
#include "seances/frmpayment.h"
#include "seances/writtencomputers.h"

namespace SeanceDialogs
{
bool PayAndWrite(QWidget *Dialog,
                 qint32 Price,
                 const QList<qint32> &Computers,
                 const ComputerWrite &Write,
                 WrittenComputers &Written)
{
    // Pressed while the database is away: said once, before the payment is taken.
    if (!DatabaseLink::ForOperator()) {
        return false;
    }
    if (Computers.isEmpty()) {
        ShowError(Dialog, QStringLiteral("Не выбран ни один компьютер!"));
        return false;
    }
    qint32 card = 0;
    if (!frmPayment::TakePayment(Dialog, Price, card)) {
        return false;
    }
    for (qint32 num : Computers) {
        QString err;
        Rollstrake::Transaction transaction;
        if (!transaction.Begin(err) || !Write(num, card, err) || !transaction.Commit(err)) {
            ShowFailure(Dialog, err);
            return false;
        }
        Written.Add(num);
    }
    return true;
}

bool PayAndWrite(QWidget *Dialog, qint32 Price, qint32 Computer, const ComputerWrite &Write)
{
    WrittenComputers written;
    return PayAndWrite(Dialog, Price, {Computer}, Write, written);
}
} // namespace SeanceDialogs
