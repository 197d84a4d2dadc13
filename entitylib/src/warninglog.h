#pragma once

#include <QString>

namespace Rollstrake
{
// The library's log: Qt's warning log, under the library's name. Failures that no caller can be
// told about go here: a search that answers on the safe side, an index that only speeds reads up,
// the reason behind a message whose wording is fixed.
void LogWarning(const QString &Text);
} // namespace Rollstrake
