#pragma once

#include "settings/settingspage.h"

// The staff page: no settings, no tree node, never shown; it still answers every call of the view.
class StaffSettingsFrame final : public SettingsPage
{
    Q_OBJECT

public:
    explicit StaffSettingsFrame(QWidget *parent);

    void LoadSettings() override;
    bool ValidateAndSave() override;
};
