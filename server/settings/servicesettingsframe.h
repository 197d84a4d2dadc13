#pragma once

#include "settings/recordspage.h"

namespace Ui
{
class ServiceSettingsFrame;
}

// The service-types page: the kinds of extra services the club sells, with the price of one unit.
// The services report prices every sale at its type's current price.
class ServiceSettingsFrame final : public RecordsPage
{
    Q_OBJECT

public:
    explicit ServiceSettingsFrame(QWidget *parent);
    ~ServiceSettingsFrame() override;

protected:
    void Refill(qint32 SelectCode) override;
    // "Новая услуга " with the first free number.
    void InitNewRecord(Rollstrake::DBRecord &Record) const override;

private:
    const std::unique_ptr<Ui::ServiceSettingsFrame> m_ui;
};
