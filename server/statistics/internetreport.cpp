#include "statistics/internetreport.h"

InternetReport::InternetReport(const ReportFilter &Filter)
    : PeriodTableReport(Filter, QStringLiteral("Traffic"), QStringLiteral("AccessTime"))
{
}

bool InternetReport::Prepare(QString &ErrString)
{
    m_computer = Source().Position(QStringLiteral("Computer"));
    m_time = Source().Position(QStringLiteral("AccessTime"));
    m_url = Source().Position(QStringLiteral("URL"));
    if (Filter().Computer == 0) {
        return true;
    }
    m_computerCode = FindComputerCode(Filter().Computer, ErrString);
    if (m_computerCode == 0 && ErrString.isEmpty()) {
        ErrString = ComputerNotFoundText(Filter().Computer);
    }
    return m_computerCode != 0;
}

void InternetReport::SetConditions(Rollstrake::DBFilterFields &Conditions)
{
    if (m_computerCode != 0) {
        ReportTable::SetSlot(Conditions, QStringLiteral("Computer"), Rollstrake::cEqual, m_computerCode);
    }
}

bool InternetReport::AddRecord(const Rollstrake::RecordReader &Record, QString &)
{
    // An access of a computer deleted since keeps its row with an empty computer cell.
    QString unreadable;
    AddRow(QString(),
           {DateTimeCell(DateAt(Record, m_time)),
            m_references.Text(Record, m_computer, unreadable),
            TextAt(Record, m_url)});
    ++RunningTotals().Count;
    return true;
}
