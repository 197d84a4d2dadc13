#pragma once

#include "statistics/periodtablereport.h"

// The internet addresses requested in the period: time, computer, URL; rows without a key. A
// computer number that no computer has ends the load with "Компьютер №N не найден!" (or the
// library's reason when the search failed).
class InternetReport final : public PeriodTableReport
{
public:
    explicit InternetReport(const ReportFilter &Filter);

protected:
    bool Prepare(QString &ErrString) override;
    void SetConditions(Rollstrake::DBFilterFields &Conditions) override;
    bool AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString) override;

private:
    qint32 m_computerCode = 0;
    qint32 m_computer = 0;
    qint32 m_time = 0;
    qint32 m_url = 0;
    ReferenceTexts m_references;
};
