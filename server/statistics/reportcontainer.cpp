#include "statistics/reportcontainer.h"

#include "controls/sortedlistview.h"
#include "core/widgets/registryserilize.h"
#include "core/widgets/twips.h"
#include "statistics/reportlistview.h"
#include "statistics/reportmodel.h"
#include "statistics/totalsbar.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace
{
// The room around a cell's text.
constexpr int CellRoom = 16;
// Rows are shown once the waiting ones are this share of those shown (1 / divisor).
constexpr qsizetype ShownShareDivisor = 4;

QList<ReportModel::Column> ModelColumns(const QList<ReportContainer::Column> &Columns)
{
    QList<ReportModel::Column> columns;
    for (const ReportContainer::Column &column : Columns) {
        columns << ReportModel::Column{column.Caption, column.Right};
    }
    return columns;
}
} // namespace

ReportContainer::ReportContainer(ReportKind Kind,
                                 const QString &ListName,
                                 const QList<Column> &Columns,
                                 QWidget *Parent)
    : QWidget(Parent)
    , m_kind(Kind)
    , m_listName(ListName)
    , m_model(new ReportModel(ModelColumns(Columns),
                              {SortedListView::MarkImage(SortedListView::SortedAscending),
                               SortedListView::MarkImage(SortedListView::SortedDescending),
                               SortedListView::MarkImage(SortedListView::NotSorted)},
                              this))
    , m_list(new ReportListView(m_model, this))
    , m_footer(new TotalsBar(Kind, this))
{
    m_list->setObjectName(ListName);
    // A column is at least as wide as its caption; one of the default width holds a date and time.
    const int dateWidth = m_list->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) + CellRoom;
    for (int i = 0; i < Columns.size(); ++i) {
        const int designed = Columns.at(i).WidthTwips > 0 ? Twips::ToPixels(Columns.at(i).WidthTwips) : dateWidth;
        m_list->setColumnWidth(i, qMax(designed, m_list->header()->sectionSizeHint(i)));
    }
    RegistrySerilize::LoadListViewLayout(m_list, m_listName);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_footer);
}

void ReportContainer::StoreLayout() const
{
    RegistrySerilize::SaveListViewLayout(m_list, m_listName);
}

void ReportContainer::Clear()
{
    m_model->Clear();
    m_footer->SetTotals(ReportTotals());
}

void ReportContainer::AddBatch(ReportBatch Batch, const ReportTotals &Totals, bool Complete)
{
    m_model->AddRows(Batch.Rows);
    for (const CellUpdate &update : Batch.Updates) {
        m_model->UpdateCell(update.Row, update.Column, update.Text);
    }
    if (Complete || m_model->WaitingCount() * ShownShareDivisor >= m_model->rowCount()) {
        m_model->ShowWaiting();
        m_footer->SetTotals(Totals);
    }
}

qsizetype ReportContainer::RowCount() const
{
    return m_model->rowCount();
}

QList<qint32> ReportContainer::ListedCodes() const
{
    QList<qint32> codes;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->Code(row) != 0) {
            codes << m_model->Code(row);
        }
    }
    return codes;
}

QList<QStringList> ReportContainer::RowsInOrder() const
{
    QList<QStringList> rows;
    rows.reserve(m_model->rowCount());
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < m_model->columnCount(); ++column) {
            cells << m_model->Text(row, column);
        }
        rows << cells;
    }
    return rows;
}
