#include "desktops/desktopstree.h"

#include "core/dbvalues.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/messagebox.h"
#include "desktops/desktoprecords.h"
#include "desktops/frmeditdesktop.h"
#include "generalhelpers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

namespace
{
const QString RootText = QStringLiteral("Рабочие столы");

void ShowFailure(QWidget *Parent, const QString &Text)
{
    MessageBox::Critical(Parent, QStringLiteral("Внимание!"), Text);
}

// "Root" for the root node; a desktop's node shows "Passive", and "Active" while selected.
QIcon NodeImage(bool Root)
{
    QStyle *style = QApplication::style();
    if (Root) {
        return style->standardIcon(QStyle::SP_ComputerIcon);
    }
    QIcon image;
    image.addPixmap(style->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal);
    image.addPixmap(style->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Selected);
    return image;
}
} // namespace

DesktopsTree::DesktopsTree(QWidget *parent)
    : QWidget(parent)
    , m_tree(new QTreeWidget(this))
    , m_menu(new QMenu(RootText, this))
{
    m_tree->setObjectName(QStringLiteral("TreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setItemsExpandable(false);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);

    m_menu->setObjectName(QStringLiteral("mnuDesktops"));
    m_addAction = m_menu->addAction(QStringLiteral("&Добавить"), this, &DesktopsTree::AddDesktop);
    m_addAction->setObjectName(QStringLiteral("mnuDesktopsAdd"));
    m_deleteAction = m_menu->addAction(QStringLiteral("&Удалить"), this, &DesktopsTree::DeleteSelectedDesktop);
    m_deleteAction->setObjectName(QStringLiteral("mnuDesktopsDelete"));
    m_editAction = m_menu->addAction(QStringLiteral("&Изменить"), this, &DesktopsTree::EditSelectedDesktop);
    m_editAction->setObjectName(QStringLiteral("mnuDesktopsEdit"));

    connect(m_tree, &QTreeWidget::currentItemChanged, this, &DesktopsTree::OnCurrentChanged);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &DesktopsTree::EditSelectedDesktop);
    // The tree always stays fully expanded.
    connect(m_tree, &QTreeWidget::itemCollapsed, m_tree, &QTreeWidget::expandItem);
}

void DesktopsTree::FillTree(qint32 Code)
{
    QString err;
    {
        const QSignalBlocker blocker(m_tree);
        m_tree->clear();
        m_nodes.clear();
        auto *root = new QTreeWidgetItem(m_tree, {RootText});
        root->setIcon(0, NodeImage(true));
        root->setData(0, ItemKeyRole, MakeItemKey(0));
        m_nodes.insert(0, root);
        AddNodes(0, root, err);
        m_tree->expandAll();
        m_tree->setCurrentItem(m_nodes.value(Code, root));
    }
    if (!err.isEmpty()) {
        ShowFailure(this, err);
    }
    OnCurrentChanged(m_tree->currentItem());
    m_changed = false;
}

void DesktopsTree::AddNodes(qint32 Code, QTreeWidgetItem *Parent, QString &ErrString)
{
    const auto records = AllRecords(QStringLiteral("Desktops"), ErrString);
    if (!records) {
        return;
    }
    // Every desktop once, under its parent, siblings in the library's order; a desktop whose chain
    // of parents never reaches the root (a loop) has no node.
    QHash<qint32, QList<std::shared_ptr<Rollstrake::DBRecord>>> children;
    for (const auto &record : *records) {
        children[IntValue(*record, QStringLiteral("Parent"))].append(record);
    }
    QList<QPair<qint32, QTreeWidgetItem *>> pending{{Code, Parent}};
    while (!pending.isEmpty()) {
        const auto [parentCode, parentNode] = pending.takeFirst();
        for (const auto &record : children.value(parentCode)) {
            if (m_nodes.contains(record->Code())) {
                continue;
            }
            auto *node = new QTreeWidgetItem(parentNode, {TextValue(*record, QStringLiteral("Name"))});
            node->setIcon(0, NodeImage(false));
            node->setData(0, ItemKeyRole, MakeItemKey(record->Code()));
            m_nodes.insert(record->Code(), node);
            pending.append({record->Code(), node});
        }
    }
}

void DesktopsTree::SetCurrentDesktop(qint32 Code)
{
    QTreeWidgetItem *node = m_nodes.value(Code);
    if (node == nullptr) {
        return;
    }
    if (m_tree->currentItem() == node) {
        OnCurrentChanged(node);
    } else {
        m_tree->setCurrentItem(node);
    }
}

bool DesktopsTree::ValidateAndSave()
{
    m_changed = false;
    return true;
}

qint32 DesktopsTree::SelectedCode() const
{
    const QTreeWidgetItem *node = m_tree->currentItem();
    return node ? GetKeyNum(node->data(0, ItemKeyRole).toString()) : -1;
}

void DesktopsTree::OnCurrentChanged(QTreeWidgetItem *Current)
{
    if (Current != nullptr) {
        emit DesktopSelected(GetKeyNum(Current->data(0, ItemKeyRole).toString()));
    }
}

void DesktopsTree::MarkChanged()
{
    m_changed = true;
    emit Modified();
}

void DesktopsTree::AddDesktop()
{
    const qint32 parentCode = SelectedCode();
    QString err;
    const auto record = parentCode < 0 ? nullptr : NewDesktop(parentCode, err);
    if (!record) {
        if (!err.isEmpty()) {
            ShowFailure(this, err);
        }
        return;
    }
    frmEditDesktop dialog(this);
    if (!dialog.Start(*record, false)) {
        return;
    }
    if (!StoreDesktop(*record, err)) {
        ShowFailure(this, err);
        return;
    }
    FillTree(record->Code());
    MarkChanged();
}

void DesktopsTree::EditSelectedDesktop()
{
    QString err;
    const auto record = RecordByCode(QStringLiteral("Desktops"), SelectedCode(), err);
    if (!record) {
        if (!err.isEmpty()) {
            ShowFailure(this, err);
        }
        return;
    }
    frmEditDesktop dialog(this);
    if (!dialog.Start(*record, true)) {
        return;
    }
    if (!StoreDesktop(*record, err)) {
        ShowFailure(this, err);
        return;
    }
    FillTree(record->Code());
    MarkChanged();
}

void DesktopsTree::DeleteSelectedDesktop()
{
    const qint32 code = SelectedCode();
    QString err;
    const auto record = code > 0 ? RecordByCode(QStringLiteral("Desktops"), code, err) : nullptr;
    if (!record) {
        if (!err.isEmpty()) {
            ShowFailure(this, err);
        }
        return;
    }
    const qint32 parentCode = IntValue(*record, QStringLiteral("Parent"));
    QList<qint32> removed;
    if (!DeleteDesktopTree(code, removed, err)) {
        ShowFailure(this, err);
        FillTree(code);
        return;
    }
    for (const qint32 desktop : std::as_const(removed)) {
        emit DesktopDeleted(desktop);
    }
    FillTree(parentCode);
    MarkChanged();
}

void DesktopsTree::ShowMenu(const QPoint &ViewportPoint)
{
    const qint32 code = SelectedCode();
    if (code < 0) {
        return;
    }
    m_deleteAction->setEnabled(code > 0);
    m_editAction->setEnabled(code > 0);
    m_menu->popup(m_tree->viewport()->mapToGlobal(ViewportPoint));
}

bool DesktopsTree::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_tree->viewport() && Event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(Event)->button() == Qt::RightButton) {
        ShowMenu(static_cast<QMouseEvent *>(Event)->position().toPoint());
        return true;
    }
    if (Watched == m_tree && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Insert) {
            AddDesktop();
            return true;
        }
        if (key == Qt::Key_Delete) {
            DeleteSelectedDesktop();
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}
