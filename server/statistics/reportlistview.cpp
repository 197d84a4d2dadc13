#include "statistics/reportlistview.h"

#include "controls/inputhelpers.h"
#include "core/widgets/twips.h"
#include "statistics/reportmodel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

ReportListView::ReportListView(ReportModel *Model, QWidget *Parent)
    : QTreeView(Parent)
    , m_model(Model)
{
    setModel(Model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ReportListView::SortByColumn);
}

void ReportListView::SortByColumn(int Column)
{
    m_sortDirection = 1 - m_sortDirection;
    m_model->Sort(Column, m_sortDirection == 1);
}

void ReportListView::keyPressEvent(QKeyEvent *Event)
{
    if (InputHelpers::RaiseKeyDown(Event, [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); })) {
        return;
    }
    QTreeView::keyPressEvent(Event);
}

void ReportListView::mouseReleaseEvent(QMouseEvent *Event)
{
    QTreeView::mouseReleaseEvent(Event);
    const QPoint at = Event->position().toPoint();
    qint16 button = InputHelpers::ButtonOf(Event->button());
    qint16 shift = InputHelpers::ShiftOf(Event->modifiers());
    auto x = static_cast<float>(Twips::FromPixels(at.x()));
    auto y = static_cast<float>(Twips::FromPixels(at.y()));
    emit Click();
    emit MouseUp(button, shift, x, y);
}
