#include "statistics/periodtablereport.h"

PeriodTableReport::PeriodTableReport(const ReportFilter &Filter, const QString &TableName, const QString &DateField)
    : ReportLoader(Filter)
    , m_tableName(TableName)
    , m_dateField(DateField)
    , m_windows(Filter.DateFrom, Filter.DateTo)
{
}

bool PeriodTableReport::ReadWindow(const QDateTime &From, const QDateTime &To, QString &ErrString)
{
    const auto filter = m_source.NewFilter();
    ReportTable::SetBetween(*filter, m_dateField, From, To);
    SetConditions(*filter);
    const auto take = [this](const Rollstrake::RecordReader &Row, QString &Error) {
        return AddRecord(Row, Error);
    };
    return m_source.ForEach(filter, take, ErrString);
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
    const auto read = [this](const QDateTime &From, const QDateTime &To, QString &Error) {
        return ReadWindow(From, To, Error);
    };
    if (!m_windows.ReadNext(read, ErrString)) {
        return false;
    }
    if (m_windows.AtEnd()) {
        Finish();
    }
    return true;
}
