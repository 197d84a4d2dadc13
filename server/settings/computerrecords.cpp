#include "settings/computerrecords.h"

#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "datevalue.h"
#include "settings/settingsrecords.h"

std::shared_ptr<Rollstrake::DBRecord> NewComputerRecord(QString &ErrString)
{
    auto record = NewSettingsRecord(QStringLiteral("Computers"), ErrString);
    if (record) {
        SetFieldValue(*record, QStringLiteral("Num"), GetFreeComputerNum());
    }
    return record;
}

bool StoreComputerRecord(Rollstrake::DBRecord &Record, QString &ErrString)
{
    // So that the main window sends the client settings to the computer.
    SetFieldValue(Record, QStringLiteral("LastSettingsUpdate"), DateValue::Zero());
    return StoreSettingsRecord(Record, ErrString);
}
