#pragma once

#include "settings/recordeditor.h"

class DaysOfWeek;
class Numeric;
class QRadioButton;
class String;

// What the day-rate and the night-rate editors share: a rate's name, the weekdays on which it
// applies ("Все дни недели" or the days ticked) and its price.
class RateEditBase : public RecordEditor
{
    Q_OBJECT

public:
    // The weekday mask of a rate for every day (bits 1 to 7: Monday 2 ... Sunday 128).
    static constexpr quint8 AllDaysMask = 254;

protected:
    struct RateInputs
    {
        String *Name = nullptr;
        QRadioButton *AllDays = nullptr;
        QRadioButton *TheseDays = nullptr;
        DaysOfWeek *Days = nullptr;
        Numeric *Price = nullptr;
    };

    explicit RateEditBase(QWidget *Parent);

    // What a rate's price is typed in.
    enum class PriceUnit
    {
        Kopecks,
        WholeRoubles,
    };

    // Groups the two options, sets the price input up (0 to 9999 roubles in Unit) and counts the
    // inputs' changes as edits.
    void SetUpRateInputs(const RateInputs &Inputs, PriceUnit Unit);

    QList<QObject *> Inputs() const override;
    void ShowRecord(const Rollstrake::DBRecord *Record) override;
    // "Не выбран ни один день!" for the weekday option without a day.
    bool CheckInput() const override;
    void WriteRecord(Rollstrake::DBRecord &Record) const override;

    // Enables the option-dependent inputs: each only while its option is chosen and a record is bound.
    virtual void UpdateOptionInputs();

private:
    RateInputs m_inputs;
};
