#pragma once

#include "settings/configbinding.h"
#include "settings/recordspage.h"

namespace Ui
{
class NightSettingsFrame;
}

// The night page: the night window of the club (when the night begins and ends, and when a night
// reserve that is only prepaid lapses), read by the night logic each time it is needed, and the
// night rates with their price per night and the prepayment that reserves one.
class NightSettingsFrame final : public RecordsPage
{
    Q_OBJECT

public:
    explicit NightSettingsFrame(QWidget *parent);
    ~NightSettingsFrame() override;

    // The settings, then the night rates (the rate chosen kept).
    void LoadSettings() override;
    // Stores the settings and the stamp "LastServerSettingsUpdate" when the page was edited, then
    // saves the editor: a refusal there keeps the page changed, with the settings already written.
    // A new night window that would take tonight's reserves from their computers is asked about
    // first; "Нет" writes nothing and keeps the page changed.
    bool ValidateAndSave() override;

protected:
    void Refill(qint32 SelectCode) override;
    // "Новый тариф " with the first free number, a night rate.
    void InitNewRecord(Rollstrake::DBRecord &Record) const override;

private:
    // True when the settings shown take no reserve of tonight from its computer, or the operator
    // confirms that they may.
    bool ConfirmLostReserves();

    const std::unique_ptr<Ui::NightSettingsFrame> m_ui;
    ConfigBinding m_settings;
};
