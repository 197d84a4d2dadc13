#include "statistics/reportindexes.h"

#include "core/dbvalues.h"
#include "core/mainlog.h"

#include <QStringList>

#include <utility>

void EnsureReportIndexes()
{
    const std::pair<QString, QStringList> indexes[] = {
        {QStringLiteral("Seances"), {QStringLiteral("BeginDate")}},
        {QStringLiteral("SeancePays"), {QStringLiteral("PayDate")}},
        {QStringLiteral("NightReserves"), {QStringLiteral("NightDate")}},
        {QStringLiteral("CardPays"), {QStringLiteral("PayDate")}},
        {QStringLiteral("Services"), {QStringLiteral("ServiceTime")}},
        {QStringLiteral("Traffic"), {QStringLiteral("AccessTime")}},
        {QStringLiteral("History"), {QStringLiteral("HistoryDate")}},
    };
    for (const auto &[name, fields] : indexes) {
        QString err;
        const auto table = DBTable(name, err);
        if (!table || !table->EnsureIndex(fields, err)) {
            MainLog().Log(QStringLiteral("Индекс таблицы '") + name + QStringLiteral("': ") + err, Logger::KindError);
        }
    }
}
