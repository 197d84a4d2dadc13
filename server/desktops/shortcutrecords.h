#pragma once

#include <QMap>
#include <QPoint>
#include <QString>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// What the shortcut editor writes to "Shortcuts", apart from its widgets: each operator action is
// one transaction that stores all of it or nothing. A centre is the icon centre in twips. Widget-free.

// A new, unsaved shortcut of the desktop at Centre, for the operator to fill; null with the reason.
std::shared_ptr<Rollstrake::DBRecord> NewShortcut(qint32 DesktopCode, QPoint Centre, QString &ErrString);

// The shortcut's record with Centre set, unsaved, for the operator to edit; null when there is none,
// with the reason when there is one.
std::shared_ptr<Rollstrake::DBRecord> ShortcutToEdit(qint32 Code, QPoint Centre, QString &ErrString);

// Stores a shortcut the operator added or edited; false with the reason.
bool StoreShortcut(Rollstrake::DBRecord &Record, QString &ErrString);

// Deletes the shortcut; false with the reason ("Ошибка удаления ярлыка!" when the library gives none).
bool DeleteShortcutRecord(qint32 Code, QString &ErrString);

// Stores the centres of moved shortcuts (by code) and stamps the desktop's LastChangeDate. A desktop
// without record (the root, or one deleted meanwhile) leaves nothing to store: true, nothing
// written. False with the reason ("Ярлык не найден!" for a shortcut without record).
bool StoreShortcutCentres(qint32 DesktopCode, const QMap<qint32, QPoint> &Centres, QString &ErrString);
