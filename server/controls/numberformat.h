#pragma once

#include "currency.h"

#include <QString>

// Display formats of the numeric input: a pattern of "#" and "0" digits with an optional ","
// (group thousands) and "." (decimals), shown with the Russian group and decimal separators.
namespace NumberFormat
{
// Rounded to Decimals places (0 to 4), a half to the even neighbour.
Currency Rounded(Currency Value, qint32 Decimals);

// Value in Mask; an empty Mask is plain digits with PrecOrder decimals.
QString Format(Currency Value, const QString &Mask, qint32 PrecOrder);

// The number in a text made by Format (group separators and blanks ignored, "," or "." as the
// decimal separator); false when there is none.
bool ReadShown(const QString &Text, Currency &Value);
} // namespace NumberFormat
