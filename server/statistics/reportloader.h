#pragma once

#include "currency.h"
#include "statistics/reportfilter.h"
#include "statistics/steppedload.h"

#include <QString>
#include <QStringList>

#include <vector>

// One row of a report list: its key (MakeItemKey of the reported record's code, empty for none)
// and its cells, the first being the row's text.
struct ReportRow final
{
    QString Key;
    QStringList Cells;

    bool operator==(const ReportRow &) const = default;
};

// A new text for a cell of a row handed out before (a seance's sum grows with its payments).
struct CellUpdate final
{
    qsizetype Row = 0;
    int Column = 0;
    QString Text;
};

// What one step of a load adds to the list.
struct ReportBatch final
{
    std::vector<ReportRow> Rows;
    std::vector<CellUpdate> Updates;
};

// The totals of the rows listed so far: a count, a sum of money (the kopecks of services kept), a
// duration in minutes and the traffic in megabytes (four decimals).
struct ReportTotals final
{
    qint64 Count = 0;
    Currency Sum;
    qint64 Duration = 0;
    Currency Download;
    Currency Upload;

    bool operator==(const ReportTotals &) const = default;
};

// Whole roubles as text: "1 234,00".
QString RoublesText(qint64 Sum);

// A report's load from the database: plain rows and totals, read step by step so that a long period
// never holds the window up. Each Step reads one slice of the period; the rows and changed cells it
// made are taken with TakeBatch, and Totals always match the rows handed out.
class ReportLoader : public SteppedLoad
{
public:
    explicit ReportLoader(const ReportFilter &Filter);
    ~ReportLoader() override;

    bool Step(QString &ErrString) final;
    bool Done() const final;
    ReportBatch TakeBatch();
    const ReportTotals &Totals() const;

protected:
    // Reads one slice, calling Finish after the last; false with the reason on a failure.
    virtual bool ReadNext(QString &ErrString) = 0;
    void Finish();
    // Adds a row and answers its index among all rows of the load.
    qsizetype AddRow(const QString &Key, const QStringList &Cells);
    void UpdateCell(qsizetype Row, int Column, const QString &Text);
    const ReportFilter &Filter() const;
    ReportTotals &RunningTotals();

private:
    ReportFilter m_filter;
    ReportTotals m_totals;
    ReportBatch m_batch;
    qsizetype m_rowCount = 0;
    bool m_done = false;
};

// Runs the load to its end, the updates applied to the rows; false with the reason on a failure
// (Rows then hold what was listed before it).
bool LoadToEnd(ReportLoader &Loader, std::vector<ReportRow> &Rows, QString &ErrString);
