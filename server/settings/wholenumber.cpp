#include "settings/wholenumber.h"

#include "controls/numeric.h"

namespace
{
constexpr qint32 KopeckDecimals = 2;
} // namespace

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

void SetUpPrice(Numeric *Input, qint32 Capacity, qint32 MaxValue)
{
    Input->SetPrecOrder(KopeckDecimals);
    Input->SetSign(false);
    Input->SetCapacity(Capacity);
    Input->SetMaxValue(MaxValue);
    Input->SetMinValue(0);
    Input->SetMask(QStringLiteral("#,##0.00"));
}
