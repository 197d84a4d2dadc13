#include "settings/lists/rateslist.h"

#include "core/dbvalues.h"

RatesList::RatesList(QWidget *Parent)
    : RecordsCombo(Parent)
{
}

bool RatesList::FillRatesList(qint32 SelectCode, qint32 Mode, const QString &FirstItemText)
{
    const qint32 selectCode = SelectCode != 0 ? SelectCode : Value();
    QList<Entry> entries;
    QString err;
    const auto rates = AllRecords(QStringLiteral("Rates"), err);
    LogDbError(QStringLiteral("Список тарифов"), err);
    if (rates) {
        for (const auto &rate : *rates) {
            const qint32 isNight = IntValue(*rate, QStringLiteral("IsNight"));
            if ((Mode == DayRates && isNight == 0) || (Mode == NightRates && isNight == 1) || Mode == AllRates) {
                entries.append({TextValue(*rate, QStringLiteral("Name")), rate->Code()});
            }
        }
    }
    Refill(entries, FirstItemText, selectCode, false);
    return !entries.isEmpty() || !FirstItemText.isEmpty();
}
