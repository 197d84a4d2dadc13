#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// What the desktop tree and the shortcut editor do with the records of "Desktops" and "Shortcuts",
// apart from the widgets. Widget-free.

// The most characters a text field of the record's table holds; 0 for no limit or no such field.
qint32 ColumnLength(const Rollstrake::DBRecord &Record, const QString &FieldName);

// A new, unsaved desktop under the desktop ParentCode (0: the root), for the operator to fill; null
// with the reason.
std::shared_ptr<Rollstrake::DBRecord> NewDesktop(qint32 ParentCode, QString &ErrString);

// Stores a desktop the operator added or edited, in one transaction; an edited one (already saved)
// has its LastChangeDate stamped with the current moment. False with the reason.
bool StoreDesktop(Rollstrake::DBRecord &Record, QString &ErrString);

// Stamps the desktop's LastChangeDate with the current moment and stores it; false with the reason.
bool StampDesktopChange(qint32 DesktopCode, QString &ErrString);

// Deletes the desktop with its whole subtree and all their shortcuts, children before their parent,
// all or nothing. Refused, with nothing deleted, when a desktop of the subtree has seances ("По
// рабочему столу '<name>' есть сеансы! Удаление невозможно!") or night reserves ("… есть ночные
// резервы! …"), or when a removal fails. Removed receives the deleted desktops' codes in the order
// of their removal.
bool DeleteDesktopTree(qint32 DesktopCode, QList<qint32> &Removed, QString &ErrString);
