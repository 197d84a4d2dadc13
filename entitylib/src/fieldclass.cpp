#include "entitylib.h"

namespace Rollstrake
{
const FieldClasses &FieldClasses::Instance()
{
    static const FieldClasses instance = [] {
        FieldClasses classes;
        classes.Add(fcNormal, QStringLiteral("NORMAL"));
        classes.Add(fcForeignKey, QStringLiteral("FOREIGNKEY"));
        classes.Add(fcLookupTable, QStringLiteral("LOOKUPTABLE"));
        classes.Add(fcLookupTableTotal, QStringLiteral("LOOKUPTABLETOTAL"));
        return classes;
    }();
    return instance;
}

const FieldTotals &FieldTotals::Instance()
{
    static const FieldTotals instance = [] {
        FieldTotals totals;
        totals.Add(fttNone, QStringLiteral("NONE"));
        totals.Add(fttSum, QStringLiteral("SUM"));
        return totals;
    }();
    return instance;
}
} // namespace Rollstrake
