#pragma once

#include "settings/rateeditbase.h"

#include <memory>

namespace Ui
{
class RateEdit;
}

// The editor of one day rate: its name, its weekdays, the time of day within which it applies
// ("Весь день" or from one time to another on the same day) and its price per hour.
class RateEdit final : public RateEditBase
{
    Q_OBJECT

public:
    explicit RateEdit(QWidget *Parent = nullptr);
    ~RateEdit() override;

protected:
    QList<QObject *> Inputs() const override;
    void ShowRecord(const Rollstrake::DBRecord *Record) override;
    // The weekdays, then "Интервал времени задан неверно!" for a begin later than the end (equal
    // times pass: a window over midnight cannot be entered).
    bool CheckInput() const override;
    void WriteRecord(Rollstrake::DBRecord &Record) const override;
    void UpdateOptionInputs() override;

private:
    const std::unique_ptr<Ui::RateEdit> m_ui;
};
