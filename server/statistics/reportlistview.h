#pragma once

#include <QTreeView>

class ReportModel;

// A report list over its model, with what the input kit's sortable list view promises: a click on
// a header sorts by that column's texts, one direction for all columns flipping at every click and
// starting with descending; the header marks the sorted column; several rows may be selected; the
// KeyDown, Click and MouseUp events. Rows have one height, so that a year of them lays out at once.
class ReportListView final : public QTreeView
{
    Q_OBJECT

public:
    explicit ReportListView(ReportModel *Model, QWidget *Parent = nullptr);

    // 0 ascending, 1 descending: the direction of the last sort.
    qint32 SortDirection() const
    {
        return m_sortDirection;
    }

    // Sorts as a click on the column's header does.
    void SortByColumn(int Column);

signals:
    void KeyDown(qint16 &KeyCode, qint16 &Shift);
    void Click();
    // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    void MouseUp(qint16 &Button, qint16 &Shift, float &X, float &Y);

protected:
    void keyPressEvent(QKeyEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;

private:
    ReportModel *m_model;
    qint32 m_sortDirection = 0;
};
