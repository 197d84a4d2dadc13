#pragma once

#include <QString>
#include <QtGlobal>

class Numeric;

// Sets a numeric input up for whole numbers without sign, with up-down buttons: Capacity digits,
// the limits, and the display format (plain digits when empty).
void SetUpWholeNumber(Numeric *Input, qint32 Capacity, qint32 MinValue, qint32 MaxValue, const QString &Mask = {});
