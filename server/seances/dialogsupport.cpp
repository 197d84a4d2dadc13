#include "seances/dialogsupport.h"

#include "controls/date.h"
#include "controls/numeric.h"
#include "core/compbuttons.h"
#include "core/dbvalues.h"
#include "core/widgets/messagebox.h"
#include "entitylib.h"
#include "generalhelpers.h"
#include "seances/frmpayment.h"

namespace
{
constexpr qint32 SumCapacity = 6;
// The Date input's value as a date-time at 00:00:00.
constexpr qint32 DateTimeValue = 1;
} // namespace

namespace SeanceDialogs
{
void SetUpSumInput(Numeric *Input, bool Signed)
{
    Input->SetPrecOrder(0);
    Input->SetCapacity(SumCapacity);
    Input->SetSign(Signed);
    Input->SetMaxValue(MaxSum);
    Input->SetMinValue(Signed ? -MaxSum : 0);
    Input->SetMask(QStringLiteral("###,##0"));
    Input->SetValue(Currency(0));
}

qint32 WholeValue(const Numeric *Input)
{
    return static_cast<qint32>(Input->Value().Units() / Currency::Scale);
}

qint32 RoundedUpRoubles(Currency Value)
{
    return Saturated32(RoundUpSum(Value, 0).Units() / Currency::Scale);
}

void SetUpEndDate(Date *Input)
{
    Input->SetValueType(DateTimeValue);
    Input->SetRequired(true);
}

void ShowError(QWidget *Dialog, const QString &Text)
{
    MessageBox::Critical(Dialog, QStringLiteral("Внимание!"), Text);
}

QList<qint32> SelectedComputers(const CompButtons &Buttons)
{
    QList<qint32> nums;
    for (const auto &button : Buttons) {
        if (button->Selected() && button->Enabled()) {
            nums.append(button->ComputerNum());
        }
    }
    return nums;
}

PaymentKind PaymentOf(qint32 Card)
{
    return Card == 0 ? PaymentKind::Cash : PaymentKind::Card;
}

bool PayAndWrite(QWidget *Dialog, qint32 Price, const QList<qint32> &Computers, const ComputerWrite &Write)
{
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
            ShowError(Dialog, err);
            return false;
        }
    }
    return true;
}
} // namespace SeanceDialogs
