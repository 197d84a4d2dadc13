#pragma once

#include "statistics/periodtablereport.h"

// The history lines of the period: time, the computer's number as the line keeps it (also of a
// computer deleted since), the text.
class HistoryReport final : public PeriodTableReport
{
public:
    explicit HistoryReport(const ReportFilter &Filter);

protected:
    bool Prepare(QString &ErrString) override;
    void SetConditions(Rollstrake::DBFilterFields &Conditions) override;
    bool AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString) override;

private:
    qint32 m_time = 0;
    qint32 m_computer = 0;
    qint32 m_description = 0;
};
