#pragma once

#include "statistics/paymentsreading.h"
#include "statistics/periodwindows.h"
#include "statistics/reportloader.h"

#include <QHash>

// The night reserves paid in the period: a reserve for a night from the period's first day on (also
// long after it), of the filtered computer, desktop and rate, listed at its first payment of the
// filtered type in the period with the sum of those payments. The reserves are read first (a
// reserve is paid before its night), then the payments window by window. A computer number that no
// computer has lists nothing.
class NightReservesReport final : public ReportLoader
{
public:
    static constexpr int SumColumn = 7;

    explicit NightReservesReport(const ReportFilter &Filter);

    double Progress() const override;

protected:
    bool ReadNext(QString &ErrString) override;

private:
    enum class Phase
    {
        Start,
        Reserves,
        LaterReserves,
        Payments,
    };

    struct Reserve
    {
        QDateTime NightDate;
        QString Computer;
        QString Nickname;
        QString Desktop;
        QString Rate;
        bool IsFullPay = false;
        qsizetype Row = -1;
        qint64 Sum = 0;
    };

    bool Prepare(QString &ErrString);
    bool ReadReserves(const QDateTime &From, const QDateTime &To, QString &ErrString);
    void TakePayment(const PaymentsReading::Payment &Payment);

    ReportTable m_reserves;
    PaymentsReading m_payments;
    PeriodWindows m_reserveWindows;
    PeriodWindows m_paymentWindows;
    ReferenceTexts m_references;
    QHash<qint32, Reserve> m_read;
    Phase m_phase = Phase::Start;
    qint32 m_computerCode = 0;
    qint32 m_nightDate = 0;
    qint32 m_computer = 0;
    qint32 m_nickname = 0;
    qint32 m_desktop = 0;
    qint32 m_rate = 0;
    qint32 m_isFullPay = 0;
};
