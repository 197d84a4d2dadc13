#pragma once

#include "currency.h"
#include "quillmarsh_common_export.h"

#include <QDateTime>
#include <QString>

// Text forms shared by the program and the socket control: "|"-separated message fields, dates in
// the fixed day-month-year shapes, sums of money and durations. None depends on the machine's locale.

// Takes the next field of Text from the 1-based Position up to Separator ("|" when empty) into
// Token and moves Position past it. False, with Position unchanged, once Position is past the end;
// a trailing empty field is not returned ("a|" gives "a" and then False).
QUILLMARSH_COMMON_EXPORT bool
GetNextToken(const QString &Text, qint32 &Position, QString &Token, const QString &Separator = QString());

// "dd<sep>MM<sep>yyyy", with WithTime followed by " hh:mm:ss"; a null value gives the empty text.
QUILLMARSH_COMMON_EXPORT QString DateToString(const QDateTime &DateValue, bool WithTime, const QString &Separator);

// Reads the shapes DateToString writes (19, 10 or 8 characters, "5/3/2003" included); any other
// length or a missing part gives null. The parts are numbers put together with calendar
// arithmetic: a month or day of 0 steps back, years 0-29 mean 2000-2029 and 30-99 mean 1930-1999;
// a text without the date separator is a time on 30/11/1999 (the date of year, month and day 0).
QUILLMARSH_COMMON_EXPORT QDateTime StringToDate(const QString &Text, const QString &Separator);

// "1 234,50": groups of three separated by a no-break space (U+00A0), a decimal comma, two
// decimals rounded half away from zero, a leading "-" for a negative value, as a Russian Windows
// writes sums.
QUILLMARSH_COMMON_EXPORT QString FormatSum(Currency Sum);

// A count of seconds or minutes in groups of 60: "mm:ss" (or "hh:mm" when fed minutes), the first
// group growing past two digits (6000 gives "100:00"); with ShowHours "hh:mm:ss". "-" before a
// negative value.
QUILLMARSH_COMMON_EXPORT QString FormatDuration(qint32 Amount, bool ShowHours);
