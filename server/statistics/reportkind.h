#pragma once

#include <QString>

// The report tabs of the statistics page in the order of its tab strip.
enum class ReportKind
{
    Seances,
    Chart,
    NightReserves,
    CardPays,
    Services,
    Internet,
    History,
};

// The tab's key ("Seances", "Chart", "NightReserves", "CardPays", "Services", "Internet", "History").
QString ReportKey(ReportKind Kind);
