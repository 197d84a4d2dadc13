#include "settings/lists/rateslist.h"

#include "core/dbvalues.h"

RatesList::RatesList(QWidget *Parent)
    : RecordsCombo(Parent)
{
}

bool RatesList::FillRatesList(qint32 SelectCode, qint32 Mode, const QString &FirstItemText)
{
    const qint32 selectCode = SelectCode != 0 ? SelectCode : Value();
    const QList<Entry> entries = TableEntries(QStringLiteral("Rates"),
                                              QStringLiteral("Список тарифов"),
                                              [Mode](const Rollstrake::DBRecord &Rate) {
                                                  const qint32 isNight = IntValue(Rate, QStringLiteral("IsNight"));
                                                  return (Mode == DayRates && isNight == 0)
                                                         || (Mode == NightRates && isNight == 1) || Mode == AllRates;
                                              });
    Refill(entries, FirstItemText, selectCode, false);
    return !entries.isEmpty() || !FirstItemText.isEmpty();
}
