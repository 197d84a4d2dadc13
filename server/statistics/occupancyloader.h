#pragma once

#include "statistics/occupancy.h"
#include "statistics/periodwindows.h"
#include "statistics/reportfilter.h"
#include "statistics/reportreading.h"
#include "statistics/steppedload.h"

// The occupancy chart's load: every seance that overlaps the period (begins no later than its end
// and ends no earlier than its start, so also one that spans the whole period), of the filtered
// computer, counted into the 80 intervals. Read step by step as the report lists are.
class OccupancyLoader final : public SteppedLoad
{
public:
    explicit OccupancyLoader(const ReportFilter &Filter);

    // Reads the next slice; false with the reason when the load cannot go on: a computer number
    // that no computer has ("Компьютер №N не найден!"), a failed read.
    bool Step(QString &ErrString) override;
    bool Done() const override;
    double Progress() const override;
    const Occupancy &Result() const;

private:
    bool Prepare(QString &ErrString);
    bool Read(const std::shared_ptr<Rollstrake::DBFilterFields> &Conditions, QString &ErrString);

    ReportFilter m_filter;
    ReportTable m_seances;
    PeriodWindows m_windows;
    Occupancy m_occupancy;
    qint32 m_computerCode = 0;
    qint32 m_computer = 0;
    qint32 m_begin = 0;
    qint32 m_end = 0;
    bool m_prepared = false;
    bool m_done = false;
};

// Runs the load to its end; false with the reason.
bool LoadToEnd(OccupancyLoader &Loader, QString &ErrString);
