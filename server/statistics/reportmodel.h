#pragma once

#include "statistics/reportloader.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QStringList>

#include <memory>
#include <vector>

class QThread;

// The rows of a report list, compact: a date-time cell is kept as its digits, every other text
// once however many cells show it, and a row's key as its record code; cells are formatted when
// shown. Sorting by a column's text runs off the window's thread on a copy of that column and the
// new order is swapped in at once, so that a year of rows sorts while the window keeps answering.
class ReportModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    // A column: caption and right alignment.
    struct Column
    {
        QString Caption;
        bool Right = false;
    };

    // The header marks of the sorted column.
    struct Marks
    {
        QIcon Ascending;
        QIcon Descending;
        QIcon None;
    };

    ReportModel(const QList<Column> &Columns, const Marks &Images, QObject *Parent = nullptr);
    // Waits for the sorts still running.
    ~ReportModel() override;

    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

    // No rows, no mark; a sort still running is dropped.
    void Clear();
    // Keeps the rows after the others, not shown yet (a row's key is MakeItemKey of a record code,
    // or empty).
    void AddRows(const std::vector<ReportRow> &Rows);
    // Shows the rows kept and not shown: the view lays out all its rows again at each call.
    void ShowWaiting();
    // The rows kept and not shown.
    qsizetype WaitingCount() const;
    // A new text for a cell of the row that was AddRows' Row-th (in the order rows were added).
    void UpdateCell(qsizetype Row, int Column, const QString &Text);
    // The text of a cell of a row as shown.
    QString Text(int Row, int Column) const;
    // The record code of a row as shown; 0 for a row without a key.
    qint32 Code(int Row) const;

    // Sorts by the column's texts, case-insensitively in the display locale, the ties keeping their
    // order; the header marks the column at once, the rows follow when the sort is done.
    void Sort(int Column, bool Descending);
    bool IsSorting() const;

signals:
    // A sort's order was swapped in.
    void Sorted();

private:
    using Cell = quint64;

    Cell Intern(const QString &Text);
    QString CellText(Cell Value) const;
    int StorageRow(int Row) const;
    void TakeSort(quint64 Generation, qsizetype SortedRows, const std::vector<quint32> &Order);
    void ReapSorters();

    QList<Column> m_columns;
    Marks m_marks;
    int m_width;
    // Row-major, in the order rows were added.
    std::vector<Cell> m_cells;
    std::vector<qint32> m_codes;
    // The rows shown: the first ones added.
    int m_shown = 0;
    // The shown order (shown row to added row); empty while it is the added order.
    std::vector<quint32> m_order;
    QStringList m_texts;
    QHash<QString, quint32> m_textIndex;
    int m_sortColumn = -1;
    bool m_descending = false;
    quint64 m_generation = 0;
    std::vector<std::unique_ptr<QThread>> m_sorters;
};
