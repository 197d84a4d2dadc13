#pragma once

#include <QString>
#include <QtGlobal>

class Numeric;

// Sets a numeric input up for whole numbers without sign, with up-down buttons: Capacity digits,
// the limits, and the display format (plain digits when empty).
void SetUpWholeNumber(Numeric *Input, qint32 Capacity, qint32 MinValue, qint32 MaxValue, const QString &Mask = {});

// Sets a numeric input up for a price in roubles and kopecks, 0 to MaxValue: Capacity whole digits,
// shown with thousands grouped and two decimals.
void SetUpPrice(Numeric *Input, qint32 Capacity, qint32 MaxValue);
