#pragma once

#include <QIcon>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

// Report-style list whose rows the operator sorts by clicking a column header: each click sorts
// by that column's texts and reverses the direction (one direction for all columns, starting with
// descending); the headers mark the sorted column. Rows added later are not placed in order.
class SortedListView final : public QWidget
{
    Q_OBJECT

public:
    // The header icons: ascending mark, descending mark, no mark.
    enum ColumnImage
    {
        SortedAscending = 1,
        SortedDescending = 2,
        NotSorted = 3,
    };

    explicit SortedListView(QWidget *Parent = nullptr);

    // Removes all rows and every header's mark; the columns stay.
    void Clear();

    // A stored flag only: it neither disables the list nor stops sorting.
    bool Enabled() const
    {
        return m_enabled;
    }

    void SetEnabled(bool Value)
    {
        m_enabled = Value;
    }

    // The rows in their current order.
    QList<QTreeWidgetItem *> ListItems() const;
    QTreeWidgetItem *ColumnHeaders() const;
    // Sets the columns by their captions, none marked.
    void SetColumnHeaders(const QStringList &Captions);

    bool MultiSelect() const;
    void SetMultiSelect(bool Value);

    QTreeWidgetItem *SelectedItem() const;
    void SetSelectedItem(QTreeWidgetItem *Item);

    // 0 ascending, 1 descending: the direction of the last sort.
    qint32 SortDirection() const
    {
        return m_sortDirection;
    }

    // The icon of a ColumnImage.
    QIcon ColumnsImages(ColumnImage Image) const;
    // The same drawn anew, for other lists that mark their sorted column alike.
    static QIcon MarkImage(ColumnImage Image);

    // The inner list, for filling rows and columns.
    QTreeWidget *ListView() const
    {
        return m_listView;
    }

signals:
    void KeyDown(qint16 &KeyCode, qint16 &Shift);
    void Click();
    // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    void MouseUp(qint16 &Button, qint16 &Shift, float &X, float &Y);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void OnColumnClick(int Column);
    void SortBy(int Column);
    void MarkColumns(int SortedColumn);

    QTreeWidget *m_listView;
    QList<QIcon> m_columnsImages;
    qint32 m_sortDirection = 0;
    bool m_enabled = false;
};
