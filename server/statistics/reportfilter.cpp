#include "statistics/reportfilter.h"

#include "core/rates.h"
#include "datevalue.h"
#include "generalhelpers.h"
#include "textdates.h"

namespace
{
const QString DateSeparator = QStringLiteral("/");

bool IsEmptyDate(const QDateTime &Value)
{
    return !Value.isValid() || DateValue::IsZero(Value);
}
} // namespace

bool ReportFilter::IsSet() const
{
    return !IsEmptyDate(DateFrom) || !IsEmptyDate(DateTo);
}

bool ReportFilter::IsOneDay() const
{
    return GetDayBound(DateFrom, false) == GetDayBound(DateTo, false);
}

QString PeriodCaption(const ReportFilter &Filter)
{
    if (Filter.IsOneDay()) {
        return DateToString(Filter.DateFrom, false, DateSeparator);
    }
    return QStringLiteral("за период с ") + DateToString(Filter.DateFrom, false, DateSeparator) + QStringLiteral(" по ")
           + DateToString(Filter.DateTo, false, DateSeparator);
}

QString ComputerCaption(const ReportFilter &Filter)
{
    return Filter.Computer == 0 ? QStringLiteral(" по всем компьютерам")
                                : QStringLiteral(" по компьютеру №") + QString::number(Filter.Computer);
}

QString PayTypeCaption(const ReportFilter &Filter)
{
    switch (Filter.PayType) {
    case ReportFilter::AllPays:
        return QStringLiteral(", по всем видам оплат");
    case ReportFilter::CardPays:
        return QStringLiteral(", оплаченные по карточкам");
    default:
        return QStringLiteral(", оплаченные наличными");
    }
}

QString DesktopCaption(const ReportFilter &Filter)
{
    return Filter.Desktop == 0
               ? QStringLiteral(", по всем рабочим столам")
               : QStringLiteral(", по рабочему столу '") + GetDesktopName(Filter.Desktop) + QLatin1Char('\'');
}

QString GetFilterCaption(const ReportFilter &Filter, bool WithComputer, bool WithPayType, bool WithDesktop)
{
    QString caption = PeriodCaption(Filter);
    if (WithComputer) {
        caption += ComputerCaption(Filter);
    }
    if (WithPayType) {
        caption += PayTypeCaption(Filter);
    }
    if (WithDesktop) {
        caption += DesktopCaption(Filter);
    }
    return caption;
}
