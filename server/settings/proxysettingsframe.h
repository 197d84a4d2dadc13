#pragma once

#include "settings/configbinding.h"
#include "settings/settingspage.h"

#include <memory>

namespace Ui
{
class ProxySettingsFrame;
}

// The internet page: the internal proxy through which the client computers reach the internet, the
// outer proxy it forwards to, and the hourly traffic allowances of a seance.
class ProxySettingsFrame final : public SettingsPage
{
    Q_OBJECT

public:
    explicit ProxySettingsFrame(QWidget *parent);
    ~ProxySettingsFrame() override;

    void LoadSettings() override;
    // Stores the settings when they were edited, an unticked allowance as 0 (no limit); the inputs'
    // limits are the only check.
    bool ValidateAndSave() override;

signals:
    // A save wrote the internet settings.
    void InternetSettingsChanged();

private:
    // The proxy's inputs and the allowances follow "Использовать внутренний прокси".
    void ApplyInternetAvailable();
    // Each allowance input follows its own check box.
    void ApplyLimitChecks();

    const std::unique_ptr<Ui::ProxySettingsFrame> m_ui;
    ConfigBinding m_settings;
    bool m_loading = false;
};
