#include "settings/lists/serviceslist.h"

ServicesList::ServicesList(QWidget *Parent)
    : RecordsCombo(Parent)
{
}

void ServicesList::FillServicesList(qint32 SelectCode, const QString &FirstItemText)
{
    Refill(TableEntries(QStringLiteral("ServiceTypes"), QStringLiteral("Список услуг")),
           FirstItemText,
           SelectCode,
           true);
}
