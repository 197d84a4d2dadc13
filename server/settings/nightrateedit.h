#pragma once

#include "settings/rateeditbase.h"

#include <memory>

namespace Ui
{
class NightRateEdit;
}

// The editor of one night rate: its name, its weekdays, the price of one night on one computer and
// the prepayment that reserves a night. A night rate covers the whole night window, so it has no
// time of day: its "TimeFrom" and "TimeTo" keep the defaults of a new record.
class NightRateEdit final : public RateEditBase
{
    Q_OBJECT

public:
    explicit NightRateEdit(QWidget *Parent = nullptr);
    ~NightRateEdit() override;

protected:
    QList<QObject *> Inputs() const override;
    void ShowRecord(const Rollstrake::DBRecord *Record) override;
    void WriteRecord(Rollstrake::DBRecord &Record) const override;

private:
    const std::unique_ptr<Ui::NightRateEdit> m_ui;
};
