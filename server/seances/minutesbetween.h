#pragma once

#include <QDateTime>

// Whole minutes from one moment to another counted as minute boundaries crossed, the seconds of
// both moments ignored (10:00:59 to 10:01:00 is one minute). Negative when To is earlier.
qint64 MinutesBetween(const QDateTime &From, const QDateTime &To);
