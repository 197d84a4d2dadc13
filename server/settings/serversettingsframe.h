#pragma once

#include "settings/configbinding.h"
#include "settings/settingspage.h"

#include <memory>

namespace Ui
{
class ServerSettingsFrame;
}

// The server page: how often the server asks its client computers for their states, how often the
// computer tiles refresh, and when a tile starts to signal a seance's end.
class ServerSettingsFrame final : public SettingsPage
{
    Q_OBJECT

public:
    explicit ServerSettingsFrame(QWidget *parent);
    ~ServerSettingsFrame() override;

    void LoadSettings() override;
    // Stores the four intervals when they were edited; the inputs' limits are the only check.
    bool ValidateAndSave() override;

signals:
    // A save wrote the intervals.
    void ServerSettingsChanged();

private:
    const std::unique_ptr<Ui::ServerSettingsFrame> m_ui;
    ConfigBinding m_settings;
};
