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

qint16 ButtonNumber(Qt::MouseButton Button)
{
    switch (Button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

qint16 ShiftNumber(Qt::KeyboardModifiers Modifiers)
{
    return static_cast<qint16>((Modifiers & Qt::ShiftModifier ? 1 : 0) + (Modifiers & Qt::ControlModifier ? 2 : 0)
                               + (Modifiers & Qt::AltModifier ? 4 : 0));
}
} // namespace

SortedListView::SortedListView(QWidget *Parent)
    : QWidget(Parent)
    , m_ListView(new QTreeWidget(this))
    , m_ColumnsImages({DrawMark(SortedAscending), DrawMark(SortedDescending), DrawMark(NotSorted)})
{
    m_ListView->setRootIsDecorated(false);
    m_ListView->setUniformRowHeights(true);
    m_ListView->setAllColumnsShowFocus(true);
    m_ListView->setSortingEnabled(false);
    m_ListView->header()->setSectionsClickable(true);
    m_ListView->header()->setSortIndicatorShown(false);
    m_ListView->installEventFilter(this);
    m_ListView->viewport()->installEventFilter(this);
    setFocusProxy(m_ListView);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_ListView);
    SetMultiSelect(false);
    connect(m_ListView->header(), &QHeaderView::sectionClicked, this, &SortedListView::OnColumnClick);
}

void SortedListView::Clear()
{
    m_ListView->clear();
    MarkColumns(-1);
}

QList<QTreeWidgetItem *> SortedListView::ListItems() const
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < m_ListView->topLevelItemCount(); ++i) {
        rows << m_ListView->topLevelItem(i);
    }
    return rows;
}

QTreeWidgetItem *SortedListView::ColumnHeaders() const
{
    return m_ListView->headerItem();
}

void SortedListView::SetColumnHeaders(const QStringList &Captions)
{
    m_ListView->setHeaderLabels(Captions);
    MarkColumns(-1);
}

bool SortedListView::MultiSelect() const
{
    return m_ListView->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void SortedListView::SetMultiSelect(bool Value)
{
    m_ListView->setSelectionMode(Value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QTreeWidgetItem *SortedListView::SelectedItem() const
{
    QTreeWidgetItem *current = m_ListView->currentItem();
    if (current && current->isSelected()) {
        return current;
    }
    const QList<QTreeWidgetItem *> selected = m_ListView->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void SortedListView::SetSelectedItem(QTreeWidgetItem *Item)
{
    m_ListView->setCurrentItem(Item);
}

QIcon SortedListView::ColumnsImages(ColumnImage Image) const
{
    return m_ColumnsImages.at(Image - 1);
}

bool SortedListView::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_ListView && Event->type() == QEvent::KeyPress) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    if (Watched == m_ListView->viewport() && Event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(Event);
        const QPoint at = mouse->position().toPoint();
        qint16 button = ButtonNumber(mouse->button());
        qint16 shift = ShiftNumber(mouse->modifiers());
        auto x = static_cast<float>(Twips::FromPixels(at.x()));
        auto y = static_cast<float>(Twips::FromPixels(at.y()));
        emit Click();
        emit MouseUp(button, shift, x, y);
    }
    return QWidget::eventFilter(Watched, Event);
}

void SortedListView::OnColumnClick(int Column)
{
    m_SortDirection = 1 - m_SortDirection;
    SortBy(Column);
    MarkColumns(Column);
}

void SortedListView::SortBy(int Column)
{
    const QList<QTreeWidgetItem *> selected = m_ListView->selectedItems();
    QTreeWidgetItem *current = m_ListView->currentItem();
    QList<QTreeWidgetItem *> rows;
    while (m_ListView->topLevelItemCount() > 0) {
        rows << m_ListView->takeTopLevelItem(0);
    }
    QCollator collator(InputHelpers::DisplayLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool descending = m_SortDirection == 1;
    std::stable_sort(rows.begin(), rows.end(), [&](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        const int order = collator.compare(a->text(Column), b->text(Column));
        return descending ? order > 0 : order < 0;
    });
    m_ListView->addTopLevelItems(rows);
    if (current) {
        m_ListView->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }
    for (QTreeWidgetItem *row : selected) {
        row->setSelected(true);
    }
}

void SortedListView::MarkColumns(int SortedColumn)
{
    QTreeWidgetItem *headers = m_ListView->headerItem();
    for (int i = 0; i < m_ListView->columnCount(); ++i) {
        const ColumnImage image =
            i != SortedColumn ? NotSorted : (m_SortDirection == 0 ? SortedAscending : SortedDescending);
        headers->setIcon(i, ColumnsImages(image));
    }
}
