#include "seances/dialogsupport.h"

#include "controls/date.h"
#include "controls/numeric.h"
#include "core/compbuttons.h"
#include "core/computerlookups.h"
#include "core/databaselink.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "core/night.h"
#include "core/seancearithmetic.h"
#include "core/widgets/messagebox.h"
#include "entitylib.h"
#include "generalhelpers.h"

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

void SetUpRequiredDay(Date *Input)
{
    Input->SetValueType(DateTimeValue);
    Input->SetRequired(true);
}

void ShowError(QWidget *Dialog, const QString &Text)
{
    MessageBox::Critical(Dialog, QStringLiteral("Внимание!"), Text);
}

void ShowMissing(QWidget *Dialog, const QString &Text)
{
    // Back already at the try: the list was empty for the loss alone, and the operator asks again.
    if (Rollstrake::Root::IsConnectionLost()) {
        DatabaseLink::ForOperator();
        return;
    }
    ShowError(Dialog, Text);
}

void ShowFailure(QWidget *Dialog, const QString &Text)
{
    MainLog().Log(Text, Logger::KindError);
    ShowError(Dialog, Text);
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

std::shared_ptr<Rollstrake::DBRecord> FindRecord(const QString &TableName, qint32 Code, QString &Reason)
{
    Reason.clear();
    auto record = RecordByCode(TableName, Code, Reason);
    if (!record && Reason.isEmpty()) {
        Reason = QStringLiteral("нет записи с кодом ") + QString::number(Code);
    }
    return record;
}

std::shared_ptr<Rollstrake::DBRecord> NewRecord(const QString &TableName, QString &ErrString)
{
    const auto table = DBTable(TableName, ErrString);
    auto record = table ? table->GetNewRecord() : nullptr;
    if (!record && ErrString.isEmpty()) {
        ErrString = QStringLiteral("Невозможно создать запись таблицы '") + TableName + QStringLiteral("'!");
    }
    return record;
}

qint32 NightPrice(const Rollstrake::DBRecord &Rate)
{
    return RoundedUpRoubles(MoneyValue(Rate, QStringLiteral("PriceForHour")));
}

SeanceSpan NightSeanceSpan(const QDateTime &Begin)
{
    QDateTime nightBegin;
    SeanceSpan span;
    GetNightPeriod(Begin, nightBegin, span.End);
    CompleteSeanceTimes(Begin, span.End, span.Minutes);
    return span;
}

std::shared_ptr<Rollstrake::DBRecord> AddSeanceRecord(qint32 ComputerNum,
                                                      qint32 Desktop,
                                                      qint32 Rate,
                                                      const QDateTime &Begin,
                                                      const SeanceSpan &Span,
                                                      QString &ErrString)
{
    const auto seance = NewRecord(QStringLiteral("Seances"), ErrString);
    if (!seance) {
        return nullptr;
    }
    SetFieldValue(*seance, QStringLiteral("Computer"), GetComputerCode(ComputerNum, false));
    SetFieldValue(*seance, QStringLiteral("Desktop"), Desktop);
    SetFieldValue(*seance, QStringLiteral("BeginDate"), Begin);
    SetFieldValue(*seance, QStringLiteral("Rate"), Rate);
    SetFieldValue(*seance, QStringLiteral("EndDate"), Span.End);
    SetFieldValue(*seance, QStringLiteral("Duration"), Span.Minutes);
    return seance->Update(ErrString) ? seance : nullptr;
}

bool SumAsSeen(QWidget *Dialog, qint32 Seen, qint32 Shown)
{
    if (Shown == Seen) {
        return true;
    }
    ShowError(Dialog,
              QStringLiteral("Сумма изменилась с %1 на %2 руб.!").arg(QString::number(Seen), QString::number(Shown)));
    return false;
}
} // namespace SeanceDialogs
