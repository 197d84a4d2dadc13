#include "core/historytexts.h"

#include "currency.h"
#include "textdates.h"

namespace
{
const QString Slash = QStringLiteral("/");

QString Moment(const QDateTime &Value)
{
    return DateToString(Value, true, Slash);
}

QString Duration(qint32 Minutes)
{
    return FormatDuration(Minutes, false);
}

QString Money(Currency Sum)
{
    return FormatSum(Sum) + QStringLiteral(" руб.");
}

// How the sum was paid, to the end of the text: one kind alone by its name, a split with both sums.
QString PaidBy(qint32 Sum, qint32 CardPart)
{
    const QString byCard = QStringLiteral("по карточке");
    const QString inCash = QStringLiteral("наличными");
    if (CardPart == 0 || CardPart == Sum) {
        return (CardPart == 0 ? inCash : byCard) + QStringLiteral(".");
    }
    return byCard + QStringLiteral(" ") + Money(CardPart) + QStringLiteral(" и ") + inCash + QStringLiteral(" ")
           + Money(Currency(Sum) - Currency(CardPart));
}

QString PaymentTail(qint32 Sum, qint32 CardPart)
{
    return Sum == 0 ? QString() : QStringLiteral(", оплачено ") + PaidBy(Sum, CardPart);
}

QString StartOpening(SeanceStartKind Kind)
{
    switch (Kind) {
    case SeanceStartKind::NightSeance:
        return QStringLiteral("Добавлен ночной сеанс с '");
    case SeanceStartKind::ReserveActivated:
        return QStringLiteral("Активирован резерв ночи с '");
    case SeanceStartKind::DaySeance:
        break;
    }
    return QStringLiteral("Добавлен сеанс с '");
}

QString DesktopAndRate(const QString &DesktopName, const QString &RateName, qint32 Sum, qint32 CardPart)
{
    return QStringLiteral(" с рабочим столом '") + DesktopName + QStringLiteral("' по тарифу '") + RateName
           + QStringLiteral("' на сумму ") + Money(Sum) + PaymentTail(Sum, CardPart);
}
} // namespace

QString SeanceAddedHistoryText(SeanceStartKind Kind,
                               const QDateTime &Begin,
                               const QDateTime &End,
                               qint32 Minutes,
                               const QString &DesktopName,
                               const QString &RateName,
                               qint32 Sum,
                               qint32 CardPart)
{
    return StartOpening(Kind) + Moment(Begin) + QStringLiteral("' по '") + Moment(End) + QStringLiteral("' (")
           + Duration(Minutes) + QStringLiteral(")") + DesktopAndRate(DesktopName, RateName, Sum, CardPart);
}

QString NightReservedHistoryText(const QDateTime &NightDate,
                                 const QString &DesktopName,
                                 const QString &RateName,
                                 qint32 Sum,
                                 qint32 CardPart)
{
    return QStringLiteral("Зарезервированна ночь на '") + DateToString(NightDate, false, Slash) + QStringLiteral("'")
           + DesktopAndRate(DesktopName, RateName, Sum, CardPart);
}

QString SeanceEndChangedHistoryText(const QDateTime &OldEnd,
                                    const QDateTime &NewEnd,
                                    qint32 OldMinutes,
                                    qint32 NewMinutes,
                                    qint32 SumDifference,
                                    qint32 CardPart)
{
    return QStringLiteral("Изменено время окончания сеанса с '") + Moment(OldEnd) + QStringLiteral("' на '")
           + Moment(NewEnd) + QStringLiteral("', длительность - с ") + Duration(OldMinutes) + QStringLiteral(" на ")
           + Duration(NewMinutes) + QStringLiteral(", сумма изменилась на ") + Money(SumDifference)
           + PaymentTail(SumDifference, CardPart);
}

QString
SeancePrefsChangedHistoryText(const NameChange &Desktop, const NameChange &Rate, qint32 SumDifference, qint32 CardPart)
{
    QString text = QStringLiteral("Изменены параметры сеанса: ");
    if (Desktop.Changed) {
        text += QStringLiteral(" рабочий стол - с '") + Desktop.Old + QStringLiteral("' на '") + Desktop.New
                + QStringLiteral("'");
    }
    if (Rate.Changed) {
        if (Desktop.Changed) {
            text += QStringLiteral(",");
        }
        text += QStringLiteral(" тариф - с '") + Rate.Old + QStringLiteral("' на '") + Rate.New + QStringLiteral("'");
    }
    if (SumDifference == 0) {
        return text + QStringLiteral(".");
    }
    return text + QStringLiteral(", сумма изменилась на ") + Money(SumDifference)
           + PaymentTail(SumDifference, CardPart);
}

QString SeanceEndedHistoryText()
{
    return QStringLiteral("Завершён сеанс.");
}

QString SeanceCancelledHistoryText()
{
    return QStringLiteral("Отменён сеанс.");
}

QString SeanceMovedHistoryText(qint32 NewComputerNum)
{
    return QStringLiteral("Пересажен сеанс на компьютер №") + QString::number(NewComputerNum) + QStringLiteral(".");
}

QString NightReserveCancelledHistoryText()
{
    return QStringLiteral("Отменён резерв сегодняшней ночи.");
}
