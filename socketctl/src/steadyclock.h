#pragma once

#include "pelloxan_export.h"

#include <QtGlobal>

// The control's idle time-outs and limit notices read this clock: it never jumps with the wall
// clock, and tests move it on instead of waiting.
namespace Pelloxan::SteadyClock
{
// Milliseconds of a monotonic clock, plus what Advance added.
PELLOXAN_TESTS_EXPORT qint64 NowMs();
// Moves the clock on by Ms milliseconds, for tests.
PELLOXAN_TESTS_EXPORT void Advance(qint64 Ms);
} // namespace Pelloxan::SteadyClock
