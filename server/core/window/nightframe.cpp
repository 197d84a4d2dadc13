#include "core/window/nightframe.h"

NightFrame::NightFrame(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("NightFrame"));
    hide();
}

bool NightFrame::Changed()
{
    return false;
}

void NightFrame::LoadSettings() {}

bool NightFrame::ValidateAndSave()
{
    return true;
}

QWidget *NightFrame::Widget()
{
    return this;
}
