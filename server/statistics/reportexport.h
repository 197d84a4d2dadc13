#pragma once

#include "statistics/documentwriter.h"
#include "statistics/reportfilter.h"
#include "statistics/reportkind.h"
#include "statistics/reportloader.h"

#include <QList>
#include <QStringList>

// The export of a report list as a document: a centred bold title naming the period (and, for the
// seances and the night reserves, the filter), a table with a header row and one row per list row
// in the list's order (the computer's column left out when one computer is filtered), and for the
// reports with a sum the total in figures and in words.

// What an export writes.
struct ExportContent final
{
    ReportKind Kind = ReportKind::Seances;
    ReportFilter Filter;
    // Every cell of every list row, in the list's current order.
    QList<QStringList> Rows;
    // The numbers that the load gave the footer.
    ReportTotals Totals;
};

// "Экспортировать отобранную опись сеансов в MS Word?" and the like.
QString ExportQuestion(ReportKind Kind);
// "Ошибка экспорта описи сеансов в MS Word: " and the like; the reason follows.
QString ExportErrorText(ReportKind Kind);
// "Сеансы", "Резервы ночей", ...: the head of the title and of the document's file name.
QString ExportTitle(ReportKind Kind);
// Gives the writer the commands of the whole document in their order.
void ExportReport(DocumentWriter &Writer, const ExportContent &Content);
