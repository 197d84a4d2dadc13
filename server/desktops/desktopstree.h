#pragma once

#include <QHash>
#include <QWidget>

class QMenu;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;

// The left half of the desktops view: every desktop under one root node "Рабочие столы", always
// expanded, each under its parent. Desktops are added, edited and deleted through the desktop
// dialog, the popup menu "Рабочие столы", the Insert and Delete keys and a double click; every
// change is written to the database at once.
class DesktopsTree : public QWidget
{
    Q_OBJECT

public:
    explicit DesktopsTree(QWidget *parent = nullptr);

    // A desktop was added, edited or deleted since the last FillTree or ValidateAndSave.
    bool Changed() const
    {
        return m_changed;
    }

    void SetChanged(bool Value)
    {
        m_changed = Value;
    }

    // Rebuilds the tree and selects the node of the desktop (the root for 0 or a code without
    // node), raising DesktopSelected as a click would; then nothing is changed.
    void FillTree(qint32 Code = 0);
    // Selects the desktop's node as a click would.
    void SetCurrentDesktop(qint32 Code);
    // Everything is stored already: clears Changed; always true.
    bool ValidateAndSave();

    // The operator's actions (menu, keys, double click).
    void AddDesktop();
    void EditSelectedDesktop();
    void DeleteSelectedDesktop();

    // The desktop code of the selected node (0 for the root); -1 when none is selected.
    qint32 SelectedCode() const;

    QTreeWidget *Tree() const
    {
        return m_tree;
    }

    QMenu *Menu() const
    {
        return m_menu;
    }

    // Shows the popup menu at the point of the tree's viewport, with deleting and editing enabled
    // only for a desktop's node; nothing when no node is selected.
    void ShowMenu(const QPoint &ViewportPoint);

signals:
    // A node became the current one; 0 for the root.
    void DesktopSelected(qint32 Code);
    // The event Changed: a desktop was added, edited or deleted.
    void Modified();
    // A desktop and its shortcuts were deleted (children first, one signal each).
    void DesktopDeleted(qint32 Code);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void AddNodes(qint32 Code, QTreeWidgetItem *Parent, QString &ErrString);
    void OnCurrentChanged(QTreeWidgetItem *Current);
    void MarkChanged();

    QTreeWidget *m_tree;
    QMenu *m_menu;
    QAction *m_addAction;
    QAction *m_deleteAction;
    QAction *m_editAction;
    QHash<qint32, QTreeWidgetItem *> m_nodes;
    bool m_changed = false;
};
