#include "statistics/historyreport.h"

#include "generalhelpers.h"

HistoryReport::HistoryReport(const ReportFilter &Filter)
    : PeriodTableReport(Filter, QStringLiteral("History"), QStringLiteral("HistoryDate"))
{
}

bool HistoryReport::Prepare(QString &)
{
    m_time = Source().Position(QStringLiteral("HistoryDate"));
    m_computer = Source().Position(QStringLiteral("ComputerNum"));
    m_description = Source().Position(QStringLiteral("Description"));
    return true;
}

void HistoryReport::SetConditions(Rollstrake::DBFilterFields &Conditions)
{
    if (Filter().Computer != 0) {
        ReportTable::SetSlot(Conditions, QStringLiteral("ComputerNum"), Rollstrake::cEqual, Filter().Computer);
    }
}

bool HistoryReport::AddRecord(const Rollstrake::RecordReader &Record, QString &)
{
    AddRow(MakeItemKey(Record.Code()),
           {DateTimeCell(DateAt(Record, m_time)),
            QString::number(IntAt(Record, m_computer)),
            TextAt(Record, m_description)});
    ++RunningTotals().Count;
    return true;
}
