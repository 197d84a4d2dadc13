#include "statistics/reportloaders.h"

#include "statistics/cardpaysreport.h"
#include "statistics/historyreport.h"
#include "statistics/internetreport.h"
#include "statistics/nightreservesreport.h"
#include "statistics/seancesreport.h"
#include "statistics/servicesreport.h"

std::unique_ptr<ReportLoader> MakeReportLoader(ReportKind Kind, const ReportFilter &Filter)
{
    switch (Kind) {
    case ReportKind::Seances:
        return std::make_unique<SeancesReport>(Filter);
    case ReportKind::NightReserves:
        return std::make_unique<NightReservesReport>(Filter);
    case ReportKind::CardPays:
        return std::make_unique<CardPaysReport>(Filter);
    case ReportKind::Services:
        return std::make_unique<ServicesReport>(Filter);
    case ReportKind::Internet:
        return std::make_unique<InternetReport>(Filter);
    case ReportKind::History:
        return std::make_unique<HistoryReport>(Filter);
    case ReportKind::Chart:
        break;
    }
    return nullptr;
}
