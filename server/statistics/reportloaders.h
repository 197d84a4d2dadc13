#pragma once

#include "statistics/reportkind.h"
#include "statistics/reportloader.h"

#include <memory>

// The load of a report list (every kind but the chart, which has none: null).
std::unique_ptr<ReportLoader> MakeReportLoader(ReportKind Kind, const ReportFilter &Filter);
