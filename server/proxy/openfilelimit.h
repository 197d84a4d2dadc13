#pragma once

#include <QString>

// Raises the process's soft limit of open files to its hard limit: every relayed connection holds
// two descriptors, and the usual soft limit of 1024 would cap the relay at about 500 of them.
// False with the reason in ErrString.
bool RaiseOpenFileLimit(QString &ErrString);
