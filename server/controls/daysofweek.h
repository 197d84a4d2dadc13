#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;

// Weekday input: seven check boxes, Monday to Sunday. The value is the weekday mask: Monday 2,
// Tuesday 4, ... Sunday 128 (all seven days 254); the value 1 belongs to no day and is ignored.
class DaysOfWeek final : public QWidget
{
    Q_OBJECT

public:
    explicit DaysOfWeek(QWidget *Parent = nullptr);

    quint8 Value() const;
    // Ticks the days of the mask; every box that changes raises Changed.
    void SetValue(quint8 Value);

    bool Enabled() const;
    void SetEnabled(bool Value);

    // Day 1 (Monday) to 7 (Sunday).
    QCheckBox *DayCheck(int Index) const
    {
        return m_dayCheck.at(static_cast<size_t>(Index - 1));
    }

    QLabel *DayLabel(int Index) const
    {
        return m_dayLabel.at(static_cast<size_t>(Index - 1));
    }

    QSize sizeHint() const override;

signals:
    void Changed();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    std::array<QCheckBox *, 7> m_dayCheck{};
    std::array<QLabel *, 7> m_dayLabel{};
};
