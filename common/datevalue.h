#pragma once

#include "quillmarsh_common_export.h"

#include <QDateTime>

// Dates and times of the whole program.
//
// A date value is a QDateTime that carries the club's wall-clock time with no time zone: it is
// always built in Qt::UTC so that no daylight-saving gap or shift ever moves it. Three states:
// - null (QDateTime()): no value at all, shown as the empty text;
// - the zero date, 30 December 1899 00:00:00: the empty value of date fields (an unset date);
// - any other moment, to the second.
// Arithmetic on these values (addSecs, daysTo, comparisons) is plain calendar arithmetic.
namespace DateValue
{
// The moment made of the given calendar parts; invalid parts give null.
QUILLMARSH_COMMON_EXPORT QDateTime Make(int year, int month, int day, int hours = 0, int minutes = 0, int seconds = 0);

// 30 December 1899 00:00:00, the empty value of date fields.
QUILLMARSH_COMMON_EXPORT QDateTime Zero();

QUILLMARSH_COMMON_EXPORT bool IsZero(const QDateTime &value);

// The same wall-clock fields in the program's zone-free form (for values built elsewhere).
QUILLMARSH_COMMON_EXPORT QDateTime Normalized(const QDateTime &value);

// Days since 30 December 1899 with the time as a fraction, as stored by older databases.
QUILLMARSH_COMMON_EXPORT double ToSerial(const QDateTime &value);
QUILLMARSH_COMMON_EXPORT QDateTime FromSerial(double serial);
} // namespace DateValue
