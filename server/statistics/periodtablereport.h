#pragma once

#include "statistics/periodwindows.h"
#include "statistics/reportloader.h"
#include "statistics/reportreading.h"

// A report of one table whose records are listed when their date field lies in the period (card
// top-ups, services, internet accesses, history lines): the period is read window by window, one
// row per record in the library's order.
class PeriodTableReport : public ReportLoader
{
public:
    double Progress() const final;

protected:
    PeriodTableReport(const ReportFilter &Filter, const QString &TableName, const QString &DateField);

    // Once before the first read: finds what the rows need. False with the reason ends the load.
    virtual bool Prepare(QString &ErrString);
    // The report's own conditions besides the period.
    virtual void SetConditions(Rollstrake::DBFilterFields &Conditions);
    // One record's row; false with the reason ends the load.
    virtual bool AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString) = 0;

    bool ReadNext(QString &ErrString) final;
    bool ReadWindow(const QDateTime &From, const QDateTime &To, QString &ErrString);

    const ReportTable &Source() const
    {
        return m_source;
    }

private:
    QString m_tableName;
    QString m_dateField;
    ReportTable m_source;
    PeriodWindows m_windows;
    bool m_prepared = false;
};
