#include "statistics/occupancyloader.h"

OccupancyLoader::OccupancyLoader(const ReportFilter &Filter)
    : m_filter(Filter)
    , m_windows(Filter.DateFrom, Filter.DateTo)
    , m_occupancy(Filter.DateFrom, Filter.DateTo)
{
}

bool OccupancyLoader::Done() const
{
    return m_done;
}

double OccupancyLoader::Progress() const
{
    return m_done ? 1.0 : m_windows.Progress();
}

const Occupancy &OccupancyLoader::Result() const
{
    return m_occupancy;
}

bool OccupancyLoader::Prepare(QString &ErrString)
{
    if (!m_seances.Open(QStringLiteral("Seances"), ErrString)) {
        return false;
    }
    m_computer = m_seances.Position(QStringLiteral("Computer"));
    m_begin = m_seances.Position(QStringLiteral("BeginDate"));
    m_end = m_seances.Position(QStringLiteral("EndDate"));
    if (m_filter.Computer != 0) {
        m_computerCode = FindComputerCode(m_filter.Computer, ErrString);
        if (m_computerCode == 0) {
            // The library says nothing when it merely finds no such computer.
            if (ErrString.isEmpty()) {
                ErrString = ComputerNotFoundText(m_filter.Computer);
            }
            return false;
        }
    }
    // The seances that began before the period and still ran at its start.
    const auto earlier = m_seances.NewFilter();
    ReportTable::SetSlot(*earlier, QStringLiteral("BeginDate"), Rollstrake::cLess, m_filter.DateFrom);
    return Read(earlier, ErrString);
}

bool OccupancyLoader::Step(QString &ErrString)
{
    if (m_done) {
        return true;
    }
    bool ok = true;
    if (!m_prepared) {
        m_prepared = true;
        ok = Prepare(ErrString);
    } else {
        const auto read = [this](const QDateTime &From, const QDateTime &To, QString &Error) {
            const auto conditions = m_seances.NewFilter();
            ReportTable::SetBetween(*conditions, QStringLiteral("BeginDate"), From, To);
            return Read(conditions, Error);
        };
        ok = m_windows.ReadNext(read, ErrString);
    }
    m_done = !ok || m_windows.AtEnd();
    return ok;
}

bool OccupancyLoader::Read(const std::shared_ptr<Rollstrake::DBFilterFields> &Conditions, QString &ErrString)
{
    ReportTable::SetSlot(*Conditions, QStringLiteral("EndDate"), Rollstrake::cMoreOrEqual, m_filter.DateFrom);
    if (m_computerCode != 0) {
        ReportTable::SetSlot(*Conditions, QStringLiteral("Computer"), Rollstrake::cEqual, m_computerCode);
    }
    return m_seances.ForEach(
        Conditions,
        [this](const Rollstrake::RecordReader &Row, QString &) {
            m_occupancy.Add(IntAt(Row, m_computer), DateAt(Row, m_begin), DateAt(Row, m_end));
            return true;
        },
        ErrString);
}

bool LoadToEnd(OccupancyLoader &Loader, QString &ErrString)
{
    while (!Loader.Done()) {
        if (!Loader.Step(ErrString)) {
            return false;
        }
    }
    return true;
}
