#include "controls/sortedlistview.h"

#include "controls/inputhelpers.h"
#include "core/widgets/twips.h"

#include <QCollator>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace
{
QIcon DrawMark(SortedListView::ColumnImage Image)
{
    QPixmap picture(10, 10);
    picture.fill(Qt::transparent);
    if (Image != SortedListView::NotSorted) {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x60, 0x60, 0x60));
        const QPolygonF up({QPointF(1, 8), QPointF(9, 8), QPointF(5, 2)});
        const QPolygonF down({QPointF(1, 2), QPointF(9, 2), QPointF(5, 8)});
        painter.drawPolygon(Image == SortedListView::SortedAscending ? up : down);
    }
    return QIcon(picture);
}

} // namespace

SortedListView::SortedListView(QWidget *Parent)
    : QWidget(Parent)
    , m_listView(new QTreeWidget(this))
    , m_columnsImages({DrawMark(SortedAscending), DrawMark(SortedDescending), DrawMark(NotSorted)})
{
    m_listView->setRootIsDecorated(false);
    m_listView->setUniformRowHeights(true);
    m_listView->setAllColumnsShowFocus(true);
    m_listView->setSortingEnabled(false);
    m_listView->header()->setSectionsClickable(true);
    m_listView->header()->setSortIndicatorShown(false);
    m_listView->installEventFilter(this);
    m_listView->viewport()->installEventFilter(this);
    setFocusProxy(m_listView);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_listView);
    SetMultiSelect(false);
    connect(m_listView->header(), &QHeaderView::sectionClicked, this, &SortedListView::OnColumnClick);
}

void SortedListView::Clear()
{
    m_listView->clear();
    MarkColumns(-1);
}

QList<QTreeWidgetItem *> SortedListView::ListItems() const
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < m_listView->topLevelItemCount(); ++i) {
        rows << m_listView->topLevelItem(i);
    }
    return rows;
}

QTreeWidgetItem *SortedListView::ColumnHeaders() const
{
    return m_listView->headerItem();
}

void SortedListView::SetColumnHeaders(const QStringList &Captions)
{
    m_listView->setHeaderLabels(Captions);
    MarkColumns(-1);
}

bool SortedListView::MultiSelect() const
{
    return m_listView->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void SortedListView::SetMultiSelect(bool Value)
{
    m_listView->setSelectionMode(Value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QTreeWidgetItem *SortedListView::SelectedItem() const
{
    QTreeWidgetItem *current = m_listView->currentItem();
    if (current && current->isSelected()) {
        return current;
    }
    const QList<QTreeWidgetItem *> selected = m_listView->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void SortedListView::SetSelectedItem(QTreeWidgetItem *Item)
{
    m_listView->setCurrentItem(Item);
}

QIcon SortedListView::ColumnsImages(ColumnImage Image) const
{
    return m_columnsImages.at(Image - 1);
}

QIcon SortedListView::MarkImage(ColumnImage Image)
{
    return DrawMark(Image);
}

bool SortedListView::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_listView && Event->type() == QEvent::KeyPress) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    if (Watched == m_listView->viewport() && Event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(Event);
        const QPoint at = mouse->position().toPoint();
        qint16 button = InputHelpers::ButtonOf(mouse->button());
        qint16 shift = InputHelpers::ShiftOf(mouse->modifiers());
        auto x = static_cast<float>(Twips::FromPixels(at.x()));
        auto y = static_cast<float>(Twips::FromPixels(at.y()));
        emit Click();
        emit MouseUp(button, shift, x, y);
    }
    return QWidget::eventFilter(Watched, Event);
}

void SortedListView::OnColumnClick(int Column)
{
    m_sortDirection = 1 - m_sortDirection;
    SortBy(Column);
    MarkColumns(Column);
}

void SortedListView::SortBy(int Column)
{
    const QList<QTreeWidgetItem *> selected = m_listView->selectedItems();
    QTreeWidgetItem *current = m_listView->currentItem();
    // All rows at once and one collation key per row: a list of a year's records sorts in seconds.
    const QList<QTreeWidgetItem *> taken = m_listView->invisibleRootItem()->takeChildren();
    QCollator collator(InputHelpers::DisplayLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, QTreeWidgetItem *>> keyed;
    keyed.reserve(size_t(taken.size()));
    for (QTreeWidgetItem *row : taken) {
        keyed.emplace_back(collator.sortKey(row->text(Column)), row);
    }
    const bool descending = m_sortDirection == 1;
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return descending ? order > 0 : order < 0;
    });
    QList<QTreeWidgetItem *> rows;
    rows.reserve(taken.size());
    for (const auto &[key, row] : keyed) {
        rows << row;
    }
    m_listView->addTopLevelItems(rows);
    if (current) {
        m_listView->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }
    for (QTreeWidgetItem *row : selected) {
        row->setSelected(true);
    }
}

void SortedListView::MarkColumns(int SortedColumn)
{
    QTreeWidgetItem *headers = m_listView->headerItem();
    for (int i = 0; i < m_listView->columnCount(); ++i) {
        const ColumnImage image =
            i != SortedColumn ? NotSorted : (m_sortDirection == 0 ? SortedAscending : SortedDescending);
        headers->setIcon(i, ColumnsImages(image));
    }
}
