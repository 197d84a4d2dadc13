#pragma once

#include <QDateTime>
#include <QWidget>

class QTimeEdit;

// Time-of-day input shown as "HH:mm"; the value is the time on the zero date (30/12/1899), its
// seconds kept though not shown.
class Time final : public QWidget
{
    Q_OBJECT

public:
    explicit Time(QWidget *Parent = nullptr);

    QDateTime Value() const;
    // The time of day of any date-time; null gives 00:00:00. Raises no Changed.
    void SetValue(const QDateTime &Value);
    // A text read with StringToDate and "/" (a date with time, a date, or "hh:mm:ss"); any other
    // text gives 00:00:00.
    void SetValue(const QString &Text);
    // Days since the zero date with the time as the fraction.
    void SetValue(double Serial);

    bool Enabled() const;
    void SetEnabled(bool Value);

    QTimeEdit *Picker() const
    {
        return m_picker;
    }

signals:
    void Changed();

private:
    QTimeEdit *m_picker;
};
