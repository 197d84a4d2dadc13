#pragma once

#include "settings/recordspage.h"

namespace Ui
{
class RateSettingsFrame;
}

// The day-rates page: the day rates listed, the chosen one edited. What it stores decides which rate
// a new day seance gets and what it costs.
class RateSettingsFrame final : public RecordsPage
{
    Q_OBJECT

public:
    explicit RateSettingsFrame(QWidget *parent);
    ~RateSettingsFrame() override;

protected:
    void Refill(qint32 SelectCode) override;
    // "Новый тариф " with the first free number, a day rate.
    void InitNewRecord(Rollstrake::DBRecord &Record) const override;

private:
    const std::unique_ptr<Ui::RateSettingsFrame> m_ui;
};
