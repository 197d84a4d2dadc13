#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QValueAxis;

// The chart of the "График" tab: one bar series of 80 values, how many computers were busy in each
// interval of the period, each bar under its time label.
class OccupancyChart final : public QWidget
{
    Q_OBJECT

public:
    explicit OccupancyChart(QWidget *Parent = nullptr);

    // Shows the 80 counts under their labels.
    void SetData(const QList<qint32> &Counts, const QStringList &Labels);
    const QList<qint32> &Counts() const;
    const QStringList &Labels() const;

private:
    QChart *m_chart;
    QChartView *m_view;
    QBarSet *m_set;
    QBarCategoryAxis *m_labelsAxis;
    QValueAxis *m_countsAxis;
    QList<qint32> m_counts;
    QStringList m_labels;
};
