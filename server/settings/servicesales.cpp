#include "settings/servicesales.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "settings/settingsrecords.h"

bool AddServiceSale(qint32 ServiceType, qint32 Amount, const QString &Comment, QString &ErrString)
{
    const auto sale = NewSettingsRecord(QStringLiteral("Services"), ErrString);
    if (!sale) {
        return false;
    }
    SetFieldValue(*sale, QStringLiteral("ServiceType"), ServiceType);
    SetFieldValue(*sale, QStringLiteral("Amount"), Amount);
    SetFieldValue(*sale, QStringLiteral("ServiceTime"), Clock::Now());
    SetFieldValue(*sale, QStringLiteral("Comment"), Comment);
    return StoreSettingsRecord(*sale, ErrString);
}
