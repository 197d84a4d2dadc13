#pragma once

#include "quillmarsh_common_export.h"

#include <QString>

// The number at the start of a text, as client answers, settings and keys are read: blanks are
// skipped, then an optional sign, digits, an optional point "." with digits and an optional
// exponent; reading stops at the first character that cannot continue the number. No number
// gives 0. Never depends on the machine's locale.
QUILLMARSH_COMMON_EXPORT double LeadingNumber(const QString &text);

// LeadingNumber rounded to a 32-bit integer (a half to the even neighbour), saturated at the limits.
QUILLMARSH_COMMON_EXPORT qint32 LeadingInteger(const QString &text);
