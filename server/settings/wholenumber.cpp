#include "settings/wholenumber.h"

#include "controls/numeric.h"

void SetUpWholeNumber(Numeric *Input, qint32 Capacity, qint32 MinValue, qint32 MaxValue, const QString &Mask)
{
    Input->SetPrecOrder(0);
    Input->SetSign(false);
    Input->SetCapacity(Capacity);
    Input->SetMaxValue(MaxValue);
    Input->SetMinValue(MinValue);
    Input->SetMask(Mask);
    Input->SetSlider(true);
}
