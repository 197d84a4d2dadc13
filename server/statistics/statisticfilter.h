#pragma once

#include "statistics/reportfilter.h"

#include <QWidget>

#include <memory>

namespace Ui
{
class StatisticFilter;
}

// The filter bar of the statistics page: the period ("C" and "По"), a computer, a payment type, a
// desktop and a rate, applied with OK. It keeps no state beyond what its controls show; the page
// keeps the applied values.
class StatisticFilter final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qint32 HeightTwips = 930;
    // The design widths of the date inputs and of the pickers.
    static constexpr qint32 DateWidthTwips = 1215;
    static constexpr qint32 PickerWidthTwips = 1575;

    explicit StatisticFilter(QWidget *Parent = nullptr);
    ~StatisticFilter() override;

    // With Initialized false both dates show today and the payment type "Все"; in every case the
    // computers, desktops and rates are read again, keeping the choices that still exist.
    void Init(bool Initialized);
    // Enables the pickers that the report of the tab Mode uses (exact key comparison): payment
    // type, desktop and rate for "Seances" and "NightReserves", the computer also for "Chart",
    // "Internet" and "History"; the dates and OK always.
    void SetModeEnable(const QString &Mode);
    // The choice the controls show, as OK would apply it.
    ReportFilter Choice() const;

signals:
    // OK with a valid choice: the period from 00:00:00 of its first day to 23:59:59 of its last.
    void FilterApplied(ReportFilter Filter);

private:
    void FillComputers();
    void Apply();
    void DateFromChanged();
    void DateToChanged();

    const std::unique_ptr<Ui::StatisticFilter> m_ui;
};
