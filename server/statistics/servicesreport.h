#pragma once

#include "statistics/periodtablereport.h"

#include <QHash>

// The services sold in the period: time, the service's name, the units, their sum at the service
// type's current price (in kopecks, as shown) and the comment.
// A service whose type cannot be read ends the load with the library's reason.
class ServicesReport final : public PeriodTableReport
{
public:
    explicit ServicesReport(const ReportFilter &Filter);

protected:
    bool Prepare(QString &ErrString) override;
    bool AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString) override;

private:
    struct ServiceType
    {
        QString Name;
        Currency Price;
    };

    qint32 m_type = 0;
    qint32 m_amount = 0;
    qint32 m_time = 0;
    qint32 m_comment = 0;
    QHash<qint32, ServiceType> m_types;
};
