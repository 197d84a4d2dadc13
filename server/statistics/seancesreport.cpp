#include "statistics/seancesreport.h"

#include "generalhelpers.h"
#include "textdates.h"

namespace
{
// The windows of the period come before the seances that begin after it.
constexpr double WindowsShare = 0.95;

} // namespace

SeancesReport::SeancesReport(const ReportFilter &Filter)
    : ReportLoader(Filter)
    , m_payments(Filter, QStringLiteral("Seance"))
    , m_windows(Filter.DateFrom, Filter.DateTo)
{
}

double SeancesReport::Progress() const
{
    return Done() ? 1.0 : m_windows.Progress() * WindowsShare;
}

bool SeancesReport::Prepare(QString &ErrString)
{
    if (!m_seances.Open(QStringLiteral("Seances"), ErrString) || !m_payments.Open(ErrString)) {
        return false;
    }
    m_computer = m_seances.Position(QStringLiteral("Computer"));
    m_desktop = m_seances.Position(QStringLiteral("Desktop"));
    m_rate = m_seances.Position(QStringLiteral("Rate"));
    m_begin = m_seances.Position(QStringLiteral("BeginDate"));
    m_end = m_seances.Position(QStringLiteral("EndDate"));
    m_duration = m_seances.Position(QStringLiteral("Duration"));
    m_downloaded = m_seances.Position(QStringLiteral("Downloaded"));
    m_uploaded = m_seances.Position(QStringLiteral("Uploaded"));
    if (Filter().Computer != 0) {
        m_computerCode = FindComputerCode(Filter().Computer, ErrString);
        if (m_computerCode == 0 && ErrString.isEmpty()) {
            // No computer has the number: it has no seances to list.
            Finish();
        }
    }
    return ErrString.isEmpty();
}

bool SeancesReport::ReadNext(QString &ErrString)
{
    if (!m_prepared) {
        m_prepared = true;
        if (!Prepare(ErrString)) {
            return false;
        }
        if (Done()) {
            return true;
        }
    }
    if (m_windows.AtEnd()) {
        // The seances that begin after the period and end within a day of it.
        if (!ReadSeances(Filter().DateTo.addSecs(1), QDateTime(), ErrString)) {
            return false;
        }
        Finish();
        return true;
    }
    const auto take = [this](const PaymentsReading::Payment &Payment) {
        TakePayment(Payment.Link, Payment.Sum);
    };
    const auto read = [this, &take](const QDateTime &From, const QDateTime &To, QString &Error) {
        // The seances first: a payment mostly follows the begin of its seance.
        return ReadSeances(From, To, Error) && m_payments.Read(From, To, take, Error);
    };
    return m_windows.ReadNext(read, ErrString);
}

bool SeancesReport::ReadSeances(const QDateTime &From, const QDateTime &To, QString &ErrString)
{
    const auto filter = m_seances.NewFilter();
    SetRecordConditions(*filter, m_computerCode, Filter().Desktop, Filter().Rate);
    if (To.isValid()) {
        ReportTable::SetBetween(*filter, QStringLiteral("BeginDate"), From, To);
    } else {
        ReportTable::SetSlot(*filter, QStringLiteral("BeginDate"), Rollstrake::cMoreOrEqual, From);
    }
    ReportTable::SetSlot(*filter, QStringLiteral("EndDate"), Rollstrake::cLessOrEqual, Filter().DateTo.addDays(1));
    return m_seances.ForEach(
        filter,
        [this](const Rollstrake::RecordReader &Row, QString &) {
            TakeSeance(Row);
            return true;
        },
        ErrString);
}

void SeancesReport::TakeSeance(const Rollstrake::RecordReader &Row)
{
    // A reference that cannot be read leaves its cell empty.
    QString unreadable;
    Seance seance;
    seance.Duration = IntAt(Row, m_duration);
    seance.Download = Megabytes(MoneyAt(Row, m_downloaded));
    seance.Upload = Megabytes(MoneyAt(Row, m_uploaded));
    seance.Begin = DateAt(Row, m_begin);
    seance.End = DateAt(Row, m_end);
    seance.Computer = m_references.Text(Row, m_computer, unreadable);
    seance.Desktop = m_references.Text(Row, m_desktop, unreadable);
    seance.Rate = m_references.Text(Row, m_rate, unreadable);
    const qint32 code = Row.Code();
    Seance &kept = m_read.insert(code, seance).value();
    const QList<qint32> waiting = m_waiting.take(code);
    for (const qint32 sum : waiting) {
        Pay(code, kept, sum);
    }
}

void SeancesReport::TakePayment(qint32 SeanceCode, qint32 Sum)
{
    const auto found = m_read.find(SeanceCode);
    if (found == m_read.end()) {
        m_waiting[SeanceCode].append(Sum);
        return;
    }
    Pay(SeanceCode, found.value(), Sum);
}

void SeancesReport::Pay(qint32 SeanceCode, Seance &Paid, qint32 Sum)
{
    ReportTotals &totals = RunningTotals();
    Paid.Sum += Sum;
    totals.Sum += Currency(Sum);
    if (Paid.Row >= 0) {
        UpdateCell(Paid.Row, SumColumn, RoublesText(Paid.Sum));
        return;
    }
    Paid.Row = AddRow(MakeItemKey(SeanceCode),
                      {DateTimeCell(Paid.Begin),
                       DateTimeCell(Paid.End),
                       FormatDuration(Paid.Duration, false),
                       Paid.Computer,
                       Paid.Desktop,
                       Paid.Rate,
                       RoublesText(Paid.Sum),
                       FormatSum(Paid.Download),
                       FormatSum(Paid.Upload)});
    ++totals.Count;
    totals.Duration += Paid.Duration;
    totals.Download += Paid.Download;
    totals.Upload += Paid.Upload;
}
