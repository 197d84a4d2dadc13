#pragma once

#include <QString>

class QAbstractItemView;
class QComboBox;
class QListWidget;
class QWidget;

// Conveniences for lists, combo boxes, list views and forms.
//
// Roles: the 32-bit item data of list and combo-box items sits in Qt::UserRole; the key of a
// list-view row (MakeItemKey's "C<number>" or any text) sits in ItemKeyRole of its first column.
inline constexpr int ItemKeyRole = Qt::UserRole + 1;

// Adds Text with ItemData as a new item. False, after ShowError names the control and the reason,
// when the control takes no more items (a combo box at its maxCount).
bool AddListItem(QComboBox *Control, const QString &Text, qint32 ItemData);
bool AddListItem(QListWidget *Control, const QString &Text, qint32 ItemData);

// The index of the first item whose item data equals Data, or -1. An item without data counts as 0.
qint32 FindListIndexByData(const QComboBox *Control, qint32 Data);
qint32 FindListIndexByData(const QListWidget *Control, qint32 Data);

// Selects the row whose key is Key (a missing key keeps the selection); selects the first row when
// Key is empty or nothing is selected then; scrolls the selected row into view. Nothing for an
// empty list. Works on any list view whose rows carry their key in ItemKeyRole (QTreeWidget,
// QListWidget, a view over a model).
void SelectListViewItem(QAbstractItemView *ListView, const QString &Key);

// Puts the window in the middle of its screen.
void CenterForm(QWidget *Form);
