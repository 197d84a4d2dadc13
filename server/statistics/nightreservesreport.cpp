#include "statistics/nightreservesreport.h"

#include "generalhelpers.h"
#include "textdates.h"

namespace
{
// The reserves are few beside their payments.
constexpr double ReservesShare = 0.2;

} // namespace

NightReservesReport::NightReservesReport(const ReportFilter &Filter)
    : ReportLoader(Filter)
    , m_payments(Filter, QStringLiteral("NightReserve"))
    , m_reserveWindows(GetDayBound(Filter.DateFrom, false), Filter.DateTo)
    , m_paymentWindows(Filter.DateFrom, Filter.DateTo)
{
}

double NightReservesReport::Progress() const
{
    if (Done()) {
        return 1.0;
    }
    if (m_phase == Phase::Payments) {
        return ReservesShare + (1.0 - ReservesShare) * m_paymentWindows.Progress();
    }
    return ReservesShare * m_reserveWindows.Progress();
}

bool NightReservesReport::Prepare(QString &ErrString)
{
    if (!m_reserves.Open(QStringLiteral("NightReserves"), ErrString) || !m_payments.Open(ErrString)) {
        return false;
    }
    m_nightDate = m_reserves.Position(QStringLiteral("NightDate"));
    m_computer = m_reserves.Position(QStringLiteral("Computer"));
    m_nickname = m_reserves.Position(QStringLiteral("Nickname"));
    m_desktop = m_reserves.Position(QStringLiteral("Desktop"));
    m_rate = m_reserves.Position(QStringLiteral("Rate"));
    m_isFullPay = m_reserves.Position(QStringLiteral("IsFullPay"));
    if (Filter().Computer != 0) {
        m_computerCode = FindComputerCode(Filter().Computer, ErrString);
        if (m_computerCode == 0 && ErrString.isEmpty()) {
            // No computer has the number: it has no reserves to list.
            Finish();
        }
    }
    return ErrString.isEmpty();
}

bool NightReservesReport::ReadNext(QString &ErrString)
{
    const auto readReserves = [this](const QDateTime &From, const QDateTime &To, QString &Error) {
        return ReadReserves(From, To, Error);
    };
    const auto take = [this](const PaymentsReading::Payment &Payment) {
        TakePayment(Payment);
    };
    const auto readPayments = [this, &take](const QDateTime &From, const QDateTime &To, QString &Error) {
        return m_payments.Read(From, To, take, Error);
    };
    switch (m_phase) {
    case Phase::Start:
        m_phase = Phase::Reserves;
        return Prepare(ErrString);
    case Phase::Reserves:
        if (m_reserveWindows.AtEnd()) {
            m_phase = Phase::LaterReserves;
            return true;
        }
        return m_reserveWindows.ReadNext(readReserves, ErrString);
    case Phase::LaterReserves:
        m_phase = Phase::Payments;
        // There is no upper bound on the night: a night long after the period may be paid in it.
        return ReadReserves(GetDayBound(Filter().DateTo, false).addDays(1), QDateTime(), ErrString);
    case Phase::Payments:
        if (m_paymentWindows.AtEnd()) {
            Finish();
            return true;
        }
        return m_paymentWindows.ReadNext(readPayments, ErrString);
    }
    return true;
}

bool NightReservesReport::ReadReserves(const QDateTime &From, const QDateTime &To, QString &ErrString)
{
    const auto filter = m_reserves.NewFilter();
    SetRecordConditions(*filter, m_computerCode, Filter().Desktop, Filter().Rate);
    if (To.isValid()) {
        ReportTable::SetBetween(*filter, QStringLiteral("NightDate"), From, To);
    } else {
        ReportTable::SetSlot(*filter, QStringLiteral("NightDate"), Rollstrake::cMoreOrEqual, From);
    }
    return m_reserves.ForEach(
        filter,
        [this](const Rollstrake::RecordReader &Row, QString &) {
            // A reference that cannot be read leaves its cell empty.
            QString unreadable;
            Reserve reserve;
            reserve.NightDate = DateAt(Row, m_nightDate);
            reserve.Computer = m_references.Text(Row, m_computer, unreadable);
            reserve.Nickname = TextAt(Row, m_nickname);
            reserve.Desktop = m_references.Text(Row, m_desktop, unreadable);
            reserve.Rate = m_references.Text(Row, m_rate, unreadable);
            reserve.IsFullPay = IntAt(Row, m_isFullPay) > 0;
            m_read.insert(Row.Code(), reserve);
            return true;
        },
        ErrString);
}

void NightReservesReport::TakePayment(const PaymentsReading::Payment &Payment)
{
    const auto found = m_read.find(Payment.Link);
    if (found == m_read.end()) {
        return;
    }
    Reserve &paid = found.value();
    ReportTotals &totals = RunningTotals();
    paid.Sum += Payment.Sum;
    totals.Sum += Currency(Payment.Sum);
    if (paid.Row >= 0) {
        UpdateCell(paid.Row, SumColumn, RoublesText(paid.Sum));
        return;
    }
    // "О" for a reserve paid in full, "Р" for a prepaid one (Cyrillic letters).
    paid.Row = AddRow(MakeItemKey(Payment.Link),
                      {DateTimeCell(Payment.PayDate),
                       DateTimeCell(paid.NightDate),
                       paid.Computer,
                       paid.Nickname,
                       paid.Desktop,
                       paid.Rate,
                       paid.IsFullPay ? QStringLiteral("О") : QStringLiteral("Р"),
                       RoublesText(paid.Sum)});
    ++totals.Count;
}
