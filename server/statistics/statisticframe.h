#pragma once

#include "core/widgets/modeview.h"
#include "statistics/reportfilter.h"
#include "statistics/reportkind.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class OccupancyChart;
class QProgressBar;
class QStackedWidget;
class QTabBar;
class ReportContainer;
class SteppedLoad;
class StatisticFilter;

// The main window's statistics view: the filter bar, the tabs of the six report lists with their
// totals and of the occupancy chart. It keeps the applied filter, loads the shown tab's report step
// by step (the window keeps answering, a progress bar shows how far it got, a new load replaces a
// running one), exports a list as an OpenDocument text and deletes the listed night reserves, its
// only write.
class StatisticFrame final : public QWidget, public ModeView
{
    Q_OBJECT

public:
    explicit StatisticFrame(QWidget *Parent = nullptr);
    ~StatisticFrame() override;

    // Night reserves were deleted since the last save.
    bool Changed() override;
    // Refills the filter's pickers; the first call sets the period to today. Loads the shown tab.
    void LoadSettings() override;
    // Raises SeancesChanged when night reserves were deleted; always true.
    bool ValidateAndSave() override;
    QWidget *Widget() override;
    // Keeps the column layout of every report's list.
    void StoreLayout() override;

    const ReportFilter &Filter() const
    {
        return m_filter;
    }

    // The text naming the applied filter (the period, and as asked the computer, payment type and
    // desktop).
    QString GetFilterCaption(bool WithComputer, bool WithPayType, bool WithDesktop) const;
    // Asks, then deletes every listed night reserve with its payments.
    void DeleteListedNightReserves();
    // Asks, then writes the report's list as a document and opens it.
    void ExportReport(ReportKind Kind);
    // A report or the chart is being read.
    bool IsLoading() const;
    ReportKind CurrentKind() const;

    StatisticFilter *FilterBar() const
    {
        return m_filterBar;
    }

    QTabBar *Tabs() const
    {
        return m_tabs;
    }

    ReportContainer *Container(ReportKind Kind) const;

    OccupancyChart *Chart() const
    {
        return m_chart;
    }

    QProgressBar *Progress() const
    {
        return m_progress;
    }

    // Where the exports are written (the user's documents folder unless told otherwise) and what
    // opens a written document (the desktop's handler of its type unless told otherwise); an
    // opener answering false has the file's name shown instead.
    void SetExportFolder(const QString &Folder);
    void SetDocumentOpener(std::function<bool(const QString &Path)> Opener);

signals:
    // The event Changed: night reserves were deleted.
    void Modified();
    void SeancesChanged();

private:
    struct BusyCursor;

    void AddTab(ReportKind Kind, const QString &Caption, const QString &ToolTip, const QString &Image, QWidget *Page);
    void SwitchTab();
    void FilterApplied(ReportFilter Applied);
    void StartLoad(ReportKind Kind);
    void StopLoad();
    void LoadStep();
    void EndLoad(const QString &ErrString);

    ReportFilter m_filter;
    bool m_changed = false;
    bool m_initialized = false;
    StatisticFilter *m_filterBar;
    QTabBar *m_tabs;
    QProgressBar *m_progress;
    QStackedWidget *m_pages;
    OccupancyChart *m_chart;
    QHash<ReportKind, ReportContainer *> m_containers;
    QString m_exportFolder;
    std::function<bool(const QString &)> m_openDocument;
    // The running load, a list's or the chart's, and what shows each of its steps (Ok false after
    // a failure, Done after the last step).
    std::unique_ptr<SteppedLoad> m_load;
    std::function<void(bool Ok, bool Done)> m_present;
    std::unique_ptr<BusyCursor> m_busy;
    QTimer m_stepTimer;
    // Since the load's steps were last shown; invalid until its first step.
    QElapsedTimer m_sinceShown;
};
