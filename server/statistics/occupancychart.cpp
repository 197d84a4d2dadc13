#include "statistics/occupancychart.h"

#include "statistics/occupancy.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace
{
constexpr int LabelPointSize = 7;
// The labels stand upright under their bars.
constexpr int LabelAngle = -90;
// At most this many steps on the counts' axis.
constexpr qint32 MostCountSteps = 10;
} // namespace

OccupancyChart::OccupancyChart(QWidget *Parent)
    : QWidget(Parent)
    , m_chart(new QChart)
    , m_view(new QChartView(m_chart, this))
    , m_set(new QBarSet(QStringLiteral("Занято компьютеров")))
    , m_labelsAxis(new QBarCategoryAxis)
    , m_countsAxis(new QValueAxis)
{
    m_view->setObjectName(QStringLiteral("ChartView"));
    auto *series = new QBarSeries;
    series->setBarWidth(1.0);
    series->append(m_set);
    m_chart->addSeries(series);
    m_chart->legend()->hide();
    QFont labelsFont = m_labelsAxis->labelsFont();
    labelsFont.setPointSize(LabelPointSize);
    m_labelsAxis->setLabelsFont(labelsFont);
    m_labelsAxis->setLabelsAngle(LabelAngle);
    // Upright labels have room for their whole text however narrow the bars.
    m_labelsAxis->setTruncateLabels(false);
    m_countsAxis->setLabelFormat(QStringLiteral("%d"));
    m_chart->addAxis(m_labelsAxis, Qt::AlignBottom);
    m_chart->addAxis(m_countsAxis, Qt::AlignLeft);
    series->attachAxis(m_labelsAxis);
    series->attachAxis(m_countsAxis);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    SetData(QList<qint32>(Occupancy::Intervals, 0), QStringList());
}

void OccupancyChart::SetData(const QList<qint32> &Counts, const QStringList &Labels)
{
    m_counts = Counts;
    m_labels = Labels;
    m_set->remove(0, m_set->count());
    for (const qint32 count : Counts) {
        m_set->append(count);
    }
    m_labelsAxis->clear();
    // Category labels must differ: a period of several days repeats no label, a day none either.
    m_labelsAxis->append(Labels);
    const qint32 highest = Counts.isEmpty() ? 0 : *std::max_element(Counts.begin(), Counts.end());
    m_countsAxis->setRange(0, qMax(highest, 1));
    m_countsAxis->setTickCount(qMin(qMax(highest, 1), MostCountSteps) + 1);
}

const QList<qint32> &OccupancyChart::Counts() const
{
    return m_counts;
}

const QStringList &OccupancyChart::Labels() const
{
    return m_labels;
}
