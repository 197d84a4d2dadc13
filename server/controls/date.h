#pragma once

#include <QDateTime>
#include <QVariant>
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QToolButton;

// Calendar-day input shown as "dd-MM-yyyy", with a check box for "no date" unless a day is
// Required, and an optional day stepper.
class Date final : public QWidget
{
    Q_OBJECT

public:
    explicit Date(QWidget *Parent = nullptr);

    // 0: Value is the day as "dd/MM/yyyy" text ("" for no date); 1: Value is a date-time at
    // 00:00:00 (null for no date). Other types give an invalid value and take nothing.
    qint32 ValueType() const
    {
        return m_valueType;
    }

    void SetValueType(qint32 Value)
    {
        m_valueType = Value;
    }

    QVariant Value() const;
    // Raises no Changed. What the picker cannot hold (no date while Required, a value that is no
    // date) leaves today's date.
    void SetValue(const QVariant &Value);

    bool Enabled() const;
    void SetEnabled(bool Value);

    bool Required() const
    {
        return m_required;
    }

    void SetRequired(bool Value);

    // The day stepper is shown.
    bool Slider() const
    {
        return m_slider;
    }

    void SetSlider(bool Value);

    // The day held, null for no date.
    QDateTime Day() const;
    // The earliest day that can be picked or set (null: no bound); a day held before it moves up to
    // it, raising no Changed.
    void SetMinimumDay(const QDateTime &Value);

signals:
    void Changed();

private:
    void SetPickerValue(const QDateTime &Value);
    void StepDay(qint32 Days);
    void UpdateDayStepper();
    void OnPickerChanged();

    QDateEdit *m_picker;
    QCheckBox *m_check;
    QWidget *m_stepper;
    QToolButton *m_dayUp;
    QToolButton *m_dayDown;
    qint32 m_valueType = 0;
    bool m_required = false;
    bool m_slider = false;
};
