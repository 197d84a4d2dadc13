#pragma once

#include "quillmarsh_common_export.h"

#include <QtGlobal>

// Idle time-outs and limit notices read this clock: it never jumps with the wall clock, and tests
// move it on instead of waiting.
namespace SteadyClock
{
// Milliseconds of a monotonic clock, plus what Advance added.
QUILLMARSH_COMMON_EXPORT qint64 NowMs();
// Moves the clock on by Ms milliseconds, for tests.
QUILLMARSH_COMMON_EXPORT void Advance(qint64 Ms);
} // namespace SteadyClock
