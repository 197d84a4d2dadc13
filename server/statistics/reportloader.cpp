#include "statistics/reportloader.h"

#include "textdates.h"

#include <utility>

ReportLoader::ReportLoader(const ReportFilter &Filter)
    : m_filter(Filter)
{
}

ReportLoader::~ReportLoader() = default;

bool ReportLoader::Step(QString &ErrString)
{
    if (m_done) {
        return true;
    }
    if (!ReadNext(ErrString)) {
        m_done = true;
        return false;
    }
    return true;
}

bool ReportLoader::Done() const
{
    return m_done;
}

ReportBatch ReportLoader::TakeBatch()
{
    return std::exchange(m_batch, ReportBatch());
}

const ReportTotals &ReportLoader::Totals() const
{
    return m_totals;
}

void ReportLoader::Finish()
{
    m_done = true;
}

qsizetype ReportLoader::AddRow(const QString &Key, const QStringList &Cells)
{
    m_batch.Rows.push_back({Key, Cells});
    return m_rowCount++;
}

void ReportLoader::UpdateCell(qsizetype Row, int Column, const QString &Text)
{
    m_batch.Updates.push_back({Row, Column, Text});
}

const ReportFilter &ReportLoader::Filter() const
{
    return m_filter;
}

ReportTotals &ReportLoader::RunningTotals()
{
    return m_totals;
}

bool LoadToEnd(ReportLoader &Loader, std::vector<ReportRow> &Rows, QString &ErrString)
{
    bool ok = true;
    while (ok && !Loader.Done()) {
        ok = Loader.Step(ErrString);
        ReportBatch batch = Loader.TakeBatch();
        for (ReportRow &row : batch.Rows) {
            Rows.push_back(std::move(row));
        }
        for (const CellUpdate &update : batch.Updates) {
            Rows[static_cast<size_t>(update.Row)].Cells[update.Column] = update.Text;
        }
    }
    return ok;
}

QString RoublesText(qint64 Sum)
{
    return FormatSum(Currency::FromUnits(Sum * Currency::Scale));
}
