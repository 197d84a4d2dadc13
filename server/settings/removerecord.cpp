#include "settings/removerecord.h"

#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "entitylib.h"

bool RemoveRecord(const QString &TableName, qint32 Code, bool DeleteCascade)
{
    QString err;
    const auto table = DBTable(TableName, err);
    if (table && table->Remove(Code, DeleteCascade, err)) {
        return true;
    }
    // Without a text the library has shown its own box.
    if (!err.isEmpty()) {
        ShowError(err);
    }
    return false;
}
