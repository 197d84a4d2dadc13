#include "statistics/reportcontainer.h"

#include "controls/sortedlistview.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/registryserilize.h"
#include "core/widgets/twips.h"
#include "generalhelpers.h"
#include "statistics/totalsbar.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
// The room around a cell's text.
constexpr int CellRoom = 16;
// Rows are shown once the waiting ones are this share of those shown (1 / divisor).
constexpr qsizetype ShownShareDivisor = 4;
// Rows freed at a time.
constexpr qsizetype FreedRows = 20000;

// Right-aligned cells for a whole column at no cost per row.
class RightAlignedDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *Option, const QModelIndex &Index) const override
    {
        QStyledItemDelegate::initStyleOption(Option, Index);
        Option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};
} // namespace

ReportContainer::ReportContainer(ReportKind Kind,
                                 const QString &ListName,
                                 const QList<Column> &Columns,
                                 QWidget *Parent)
    : QWidget(Parent)
    , m_kind(Kind)
    , m_listName(ListName)
    , m_list(new SortedListView(this))
    , m_footer(new TotalsBar(Kind, this))
{
    m_list->setObjectName(ListName);
    m_list->SetEnabled(true);
    m_list->SetMultiSelect(true);
    QStringList captions;
    for (const Column &column : Columns) {
        captions << column.Caption;
    }
    m_list->SetColumnHeaders(captions);
    QTreeWidget *view = m_list->ListView();
    auto *right = new RightAlignedDelegate(view);
    // A column is at least as wide as its caption; one of the default width holds a date and time.
    const int dateWidth = view->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) + CellRoom;
    for (int i = 0; i < Columns.size(); ++i) {
        const int designed = Columns.at(i).WidthTwips > 0 ? Twips::ToPixels(Columns.at(i).WidthTwips) : dateWidth;
        view->setColumnWidth(i, qMax(designed, view->header()->sectionSizeHint(i)));
        if (Columns.at(i).Right) {
            view->setItemDelegateForColumn(i, right);
            view->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    RegistrySerilize::LoadListViewLayout(view, m_listName);
    m_freeing.setInterval(0);
    connect(&m_freeing, &QTimer::timeout, this, &ReportContainer::FreeSome);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_footer);
}

ReportContainer::~ReportContainer()
{
    RegistrySerilize::SaveListViewLayout(m_list->ListView(), m_listName);
    qDeleteAll(m_waiting);
    qDeleteAll(m_discarded);
}

void ReportContainer::Clear()
{
    m_rows.clear();
    m_discarded += m_list->ListView()->invisibleRootItem()->takeChildren();
    m_discarded += m_waiting;
    m_waiting.clear();
    m_list->Clear();
    m_footer->SetTotals(ReportTotals());
    if (!m_discarded.isEmpty()) {
        m_freeing.start();
    }
}

void ReportContainer::FreeSome()
{
    const qsizetype count = qMin(FreedRows, m_discarded.size());
    qDeleteAll(m_discarded.end() - count, m_discarded.end());
    m_discarded.resize(m_discarded.size() - count);
    if (m_discarded.isEmpty()) {
        m_freeing.stop();
    }
}

void ReportContainer::AddBatch(ReportBatch Batch, const ReportTotals &Totals, bool Complete)
{
    for (ReportRow &row : Batch.Rows) {
        auto *item = new QTreeWidgetItem(row.Cells);
        if (!row.Key.isEmpty()) {
            item->setData(0, ItemKeyRole, row.Key);
        }
        m_waiting << item;
        m_rows.push_back(item);
    }
    for (const CellUpdate &update : Batch.Updates) {
        m_rows[size_t(update.Row)]->setText(update.Column, update.Text);
    }
    if (Complete || m_waiting.size() * ShownShareDivisor >= RowCount()) {
        m_list->ListView()->addTopLevelItems(m_waiting);
        m_waiting.clear();
        m_footer->SetTotals(Totals);
    }
}

qsizetype ReportContainer::RowCount() const
{
    return m_list->ListView()->topLevelItemCount();
}

QList<qint32> ReportContainer::ListedCodes() const
{
    QList<qint32> codes;
    const QTreeWidget *view = m_list->ListView();
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QString key = view->topLevelItem(i)->data(0, ItemKeyRole).toString();
        if (!key.isEmpty()) {
            codes << GetKeyNum(key);
        }
    }
    return codes;
}

QList<QStringList> ReportContainer::RowsInOrder() const
{
    QList<QStringList> rows;
    const QTreeWidget *view = m_list->ListView();
    rows.reserve(view->topLevelItemCount());
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = view->topLevelItem(i);
        QStringList cells;
        for (int column = 0; column < view->columnCount(); ++column) {
            cells << item->text(column);
        }
        rows << cells;
    }
    return rows;
}
