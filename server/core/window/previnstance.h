#pragma once

#include <QString>

class QWidget;

// One running instance per user: the first instance holds a lock file and listens on a local
// socket; a later instance connects to it, which brings the first instance's window to the front.

// True when no other instance runs (this one now holds the lock and listens; calling again stays
// true). False when another instance runs: it has been asked to raise and activate its window.
bool ActivatePrevInstance();

// The window that a later instance brings to the front.
void SetInstanceWindow(QWidget *window);

// The name of the lock and the socket; per user by default. Tests use their own.
void SetInstanceKey(const QString &key);
