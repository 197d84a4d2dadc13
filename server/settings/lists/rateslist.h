#pragma once

#include "settings/lists/recordscombo.h"

// The rate picker: the names of the "Rates" records, each carrying its code, in the order the
// data-entity library returns them.
class RatesList final : public RecordsCombo
{
    Q_OBJECT

public:
    // Which rates FillRatesList lists.
    enum Mode : qint32
    {
        DayRates = 0,
        NightRates = 1,
        AllRates = 2,
    };

    explicit RatesList(QWidget *Parent = nullptr);

    // Refills the list with the rates of the mode after FirstItemText (when not empty), and chooses
    // SelectCode's rate, or with SelectCode 0 the rate chosen before; the first entry when the list
    // has neither. True, after one Click, when the list is not empty; false, with no Click, when it
    // is. Rates that cannot be read are written to the main log and leave only the first entry.
    bool FillRatesList(qint32 SelectCode = 0, qint32 Mode = DayRates, const QString &FirstItemText = QString());
};
