#include "statistics/nightreservesdeletion.h"

#include "core/dbvalues.h"
#include "entitylib.h"

bool DeleteNightReserves(const QList<qint32> &Codes, QString &ErrString)
{
    const auto reserves = DBTable(QStringLiteral("NightReserves"), ErrString);
    if (!reserves) {
        return false;
    }
    Rollstrake::Transaction transaction;
    if (!transaction.Begin(ErrString)) {
        return false;
    }
    for (const qint32 code : Codes) {
        // The transaction rolls back as it goes out of scope.
        if (!reserves->Remove(code, true, ErrString)) {
            return false;
        }
    }
    return transaction.Commit(ErrString);
}
