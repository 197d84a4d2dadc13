#include "settings/removerecord.h"

#include "core/errorbox.h"
#include "settings/settingsrecords.h"

bool RemoveRecord(const QString &TableName, qint32 Code, bool DeleteCascade)
{
    QString err;
    if (DeleteSettingsRecord(TableName, Code, DeleteCascade, err)) {
        return true;
    }
    // Without a text the library has shown its own box.
    if (!err.isEmpty()) {
        ShowError(err);
    }
    return false;
}
