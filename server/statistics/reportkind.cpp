#include "statistics/reportkind.h"

QString ReportKey(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("Seances");
    case ReportKind::Chart:
        return QStringLiteral("Chart");
    case ReportKind::NightReserves:
        return QStringLiteral("NightReserves");
    case ReportKind::CardPays:
        return QStringLiteral("CardPays");
    case ReportKind::Services:
        return QStringLiteral("Services");
    case ReportKind::Internet:
        return QStringLiteral("Internet");
    case ReportKind::History:
        return QStringLiteral("History");
    }
    return {};
}
