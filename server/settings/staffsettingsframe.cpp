#include "settings/staffsettingsframe.h"

StaffSettingsFrame::StaffSettingsFrame(QWidget *parent)
    : SettingsPage(QStringLiteral("StaffSettings"), parent)
{
}

void StaffSettingsFrame::LoadSettings() {}

bool StaffSettingsFrame::ValidateAndSave()
{
    return true;
}
