#pragma once

#include "quillmarsh_common_export.h"

#include <QDateTime>

// The one source of "now" for seance arithmetic, alarms and polling. Tests set a fixed moment.
namespace Clock
{
// The current wall-clock time in the program's zone-free date form (datevalue.h), to the second,
// or the moment set with SetNow.
QUILLMARSH_COMMON_EXPORT QDateTime Now();
// Fixes Now() at the given moment; a null value returns to the system clock.
QUILLMARSH_COMMON_EXPORT void SetNow(const QDateTime &moment);
} // namespace Clock
