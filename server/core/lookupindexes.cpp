#include "core/lookupindexes.h"

#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "entitylib.h"

#include <QStringList>

#include <utility>

void EnsureLookupIndexes()
{
    // Equality column first, then the range one: EndDate >= moment leaves only the seances that have
    // not ended yet, where BeginDate <= moment would leave the computer's whole history.
    const std::pair<QString, QStringList> indexes[] = {
        {QStringLiteral("Seances"), {QStringLiteral("Computer"), QStringLiteral("EndDate")}},
        {QStringLiteral("NightReserves"), {QStringLiteral("Computer"), QStringLiteral("NightDate")}},
        // A card's balance sums its payments and top-ups up to a moment: the index alone answers it,
        // without a visit to each row.
        {QStringLiteral("SeancePays"), {QStringLiteral("Card"), QStringLiteral("PayDate"), QStringLiteral("Sum")}},
        {QStringLiteral("CardPays"), {QStringLiteral("Card"), QStringLiteral("PayDate"), QStringLiteral("Sum")}},
    };
    for (const auto &[name, fields] : indexes) {
        QString err;
        const auto table = DBTable(name, err);
        if (!table || !table->EnsureIndex(fields, err)) {
            MainLog().Log(QStringLiteral("Индекс таблицы '") + name + QStringLiteral("': ") + err, Logger::KindError);
        }
    }
}
