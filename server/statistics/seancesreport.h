#pragma once

#include "statistics/paymentsreading.h"
#include "statistics/periodwindows.h"
#include "statistics/reportloader.h"

#include <QHash>
#include <QList>

// The seances paid in the period: a seance that begins in the period (or later) and ends no later
// than a day after it, of the filtered computer, desktop and rate, is listed once at least one of
// its payments of the filtered type falls in the period, with the sum of those payments. Seances
// and payments are read window by window side by side; a payment read before its seance waits for
// it. A computer number that no computer has lists nothing.
class SeancesReport final : public ReportLoader
{
public:
    // The sum cell, whose text grows with the seance's payments.
    static constexpr int SumColumn = 6;

    explicit SeancesReport(const ReportFilter &Filter);

    double Progress() const override;

protected:
    bool ReadNext(QString &ErrString) override;

private:
    // What a row shows of a seance read, and its row once listed.
    struct Seance
    {
        QDateTime Begin;
        QDateTime End;
        QString Computer;
        QString Desktop;
        QString Rate;
        qint32 Duration = 0;
        Currency Download;
        Currency Upload;
        qsizetype Row = -1;
        qint64 Sum = 0;
    };

    bool Prepare(QString &ErrString);
    // The seances beginning in the window (or, with a null To, from From on).
    bool ReadSeances(const QDateTime &From, const QDateTime &To, QString &ErrString);
    void TakeSeance(const Rollstrake::RecordReader &Row);
    void TakePayment(qint32 SeanceCode, qint32 Sum);
    void Pay(qint32 SeanceCode, Seance &Paid, qint32 Sum);

    ReportTable m_seances;
    PaymentsReading m_payments;
    PeriodWindows m_windows;
    ReferenceTexts m_references;
    QHash<qint32, Seance> m_read;
    // Payments whose seance has not been read (yet), in their order.
    QHash<qint32, QList<qint32>> m_waiting;
    qint32 m_computerCode = 0;
    bool m_prepared = false;
    qint32 m_computer = 0;
    qint32 m_desktop = 0;
    qint32 m_rate = 0;
    qint32 m_begin = 0;
    qint32 m_end = 0;
    qint32 m_duration = 0;
    qint32 m_downloaded = 0;
    qint32 m_uploaded = 0;
};
