#pragma once

#include "statistics/periodtablereport.h"

#include <QHash>
#include <QStringList>

// The card top-ups of the period: date, the card's barcode, its owner's nickname and last name, the
// sum. A top-up whose card cannot be read ends the load with the library's reason.
class CardPaysReport final : public PeriodTableReport
{
public:
    explicit CardPaysReport(const ReportFilter &Filter);

protected:
    bool Prepare(QString &ErrString) override;
    bool AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString) override;

private:
    qint32 m_card = 0;
    qint32 m_payDate = 0;
    qint32 m_sum = 0;
    // The barcode, nickname and last name of each card read so far.
    QHash<qint32, QStringList> m_cards;
};
