#pragma once

#include "statistics/reportfilter.h"
#include "statistics/reportreading.h"

#include <QDateTime>

#include <functional>

// The payments of the period that the seances and night-reserves reports add up: "SeancePays"
// records whose link field (Seance or NightReserve) is above 0 and whose card matches the payment
// type, read one window of the period at a time in the library's order (by PayDate).
class PaymentsReading final
{
public:
    // One payment: what it pays for, when and how much.
    struct Payment
    {
        qint32 Link = 0;
        QDateTime PayDate;
        qint32 Sum = 0;
    };

    PaymentsReading(const ReportFilter &Filter, const QString &LinkField);

    bool Open(QString &ErrString);
    // Reads the payments from From to To, each handed to Take; false with the reason.
    bool Read(const QDateTime &From,
              const QDateTime &To,
              const std::function<void(const Payment &)> &Take,
              QString &ErrString);

private:
    ReportFilter m_filter;
    QString m_linkField;
    ReportTable m_pays;
    qint32 m_link = 0;
    qint32 m_payDate = 0;
    qint32 m_sum = 0;
};

// The slots of the computer (a record code), desktop and rate that are not 0, each an equality.
void SetRecordConditions(Rollstrake::DBFilterFields &Conditions, qint32 ComputerCode, qint32 Desktop, qint32 Rate);
