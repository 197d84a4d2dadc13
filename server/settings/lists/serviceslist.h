#pragma once

#include "settings/lists/recordscombo.h"

// The picker of service types: the names of the "ServiceTypes" records, each carrying its code, in
// the order the data-entity library returns them.
class ServicesList final : public RecordsCombo
{
    Q_OBJECT

public:
    explicit ServicesList(QWidget *Parent = nullptr);

    // Refills the list with every service type after FirstItemText (when not empty) and chooses
    // SelectCode's type; the first entry when SelectCode is 0 or not listed (the type chosen before
    // is not kept). One Click follows every fill, that of an empty list too. Types that cannot be
    // read are written to the main log and leave only the first entry.
    void FillServicesList(qint32 SelectCode = 0, const QString &FirstItemText = QString());
};
