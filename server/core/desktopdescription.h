#pragma once

#include <QString>

// The description of a desktop that the client computers show: the number of shortcuts, then the
// seven fields of every shortcut of the desktop, of its parent, of the parent's parent and so on.
// A desktop met a second time on the way up (a cycle of parents) ends the walk.

// Appends the desktop's shortcuts to Description. An empty Description gets the count in front; one
// already begun (" 2|…") has its count raised. A code without record leaves it unchanged. False, with
// Description unchanged and the reason in ErrString, when a desktop or its shortcuts cannot be read:
// a client is never sent a desktop with shortcuts missing.
bool GetDesktopDescription(qint32 DesktopCode, QString &Description, QString &ErrString);

// True when DesktopCode is a child, grandchild or further descendant of AncestorCode; a tree that
// cannot be read answers false, with the reason in the main log.
bool IsDesktopDescendant(qint32 AncestorCode, qint32 DesktopCode);

// The description of the desktop whose stored password digest equals Password as received; empty
// text for a password of blanks only (without a database lookup), when no desktop has it, or when it
// cannot be read (the reason goes to the main log).
QString GetDesktopByPassword(const QString &Password);
