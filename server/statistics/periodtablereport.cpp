#include "statistics/periodtablereport.h"

#include <QElapsedTimer>

PeriodTableReport::PeriodTableReport(const ReportFilter &Filter, const QString &TableName, const QString &DateField)
    : ReportLoader(Filter)
    , m_tableName(TableName)
    , m_dateField(DateField)
    , m_windows(Filter.DateFrom, Filter.DateTo)
{
}

double PeriodTableReport::Progress() const
{
    return Done() ? 1.0 : m_windows.Progress();
}

bool PeriodTableReport::Prepare(QString &)
{
    return true;
}

void PeriodTableReport::SetConditions(Rollstrake::DBFilterFields &) {}

bool PeriodTableReport::ReadNext(QString &ErrString)
{
    if (!m_prepared) {
        m_prepared = true;
        if (!m_source.Open(m_tableName, ErrString) || !Prepare(ErrString)) {
            return false;
        }
    }
    if (m_windows.AtEnd()) {
        Finish();
        return true;
    }
    QElapsedTimer timer;
    timer.start();
    QDateTime from;
    QDateTime to;
    m_windows.Next(from, to);
    const auto filter = m_source.NewFilter();
    ReportTable::SetBetween(*filter, m_dateField, from, to);
    SetConditions(*filter);
    const auto take = [this](const Rollstrake::RecordReader &Row, QString &Error) {
        return AddRecord(Row, Error);
    };
    if (!m_source.ForEach(filter, take, ErrString)) {
        return false;
    }
    m_windows.Measured(timer.elapsed());
    if (m_windows.AtEnd()) {
        Finish();
    }
    return true;
}
