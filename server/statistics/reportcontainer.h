#pragma once

#include "statistics/reportkind.h"
#include "statistics/reportloader.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class ReportListView;
class ReportModel;
class TotalsBar;

// One report of the statistics page: its sortable list over its totals footer. The list's columns
// are built once and its column widths and order kept under the list's name between runs.
class ReportContainer final : public QWidget
{
    Q_OBJECT

public:
    // A column: caption, width in twips (0 for the list's default) and right alignment.
    struct Column
    {
        QString Caption;
        qint32 WidthTwips = 0;
        bool Right = false;
    };

    ReportContainer(ReportKind Kind, const QString &ListName, const QList<Column> &Columns, QWidget *Parent = nullptr);

    ReportKind Kind() const
    {
        return m_kind;
    }

    ReportListView *List() const
    {
        return m_list;
    }

    ReportModel *Rows() const
    {
        return m_model;
    }

    TotalsBar *Footer() const
    {
        return m_footer;
    }

    // No rows and zero totals: the start of every load.
    void Clear();
    // Takes the batch's rows after the others and gives the rows taken before their new cells. The
    // list shows the rows taken, with Totals in the footer, when Complete or when they are many
    // beside those it shows: each time the view takes rows it lays out all of them again.
    void AddBatch(ReportBatch Batch, const ReportTotals &Totals, bool Complete);
    // The rows the list shows.
    qsizetype RowCount() const;
    // The record codes of the rows shown that have a key, in the list's current order.
    QList<qint32> ListedCodes() const;
    // Every cell of every row, in the list's current order.
    QList<QStringList> RowsInOrder() const;
    // Keeps the list's column layout.
    void StoreLayout() const;

private:
    ReportKind m_kind;
    QString m_listName;
    ReportModel *m_model;
    ReportListView *m_list;
    TotalsBar *m_footer;
};
