#include "core/history.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"

void AddHistory(qint32 ComputerNum, const QString &Description)
{
    QString err;
    if (!AddHistory(ComputerNum, Description, err)) {
        ShowError(err);
    }
}

bool AddHistory(qint32 ComputerNum, const QString &Description, QString &ErrString)
{
    const auto table = DBTable(QStringLiteral("History"), ErrString);
    const auto record = table ? table->GetNewRecord() : nullptr;
    if (!record) {
        if (ErrString.isEmpty()) {
            ErrString = QStringLiteral("Невозможно создать строку истории!");
        }
        return false;
    }
    SetFieldValue(*record, QStringLiteral("HistoryDate"), Clock::Now());
    SetFieldValue(*record, QStringLiteral("ComputerNum"), ComputerNum);
    SetFieldValue(*record, QStringLiteral("Description"), Description);
    return record->Update(ErrString);
}

bool DeleteSeance(qint32 SeanceCode, QString &ErrString)
{
    const auto seances = DBTable(QStringLiteral("Seances"), ErrString);
    if (!seances) {
        return false;
    }
    Rollstrake::Transaction transaction;
    if (!transaction.Begin(ErrString)) {
        return false;
    }
    QString lookupErr;
    const auto seance = seances->GetDBRecordByCode(SeanceCode, lookupErr);
    if (!seance) {
        ErrString = lookupErr.isEmpty() ? QStringLiteral("Сеанс не найден!") : lookupErr;
        return false;
    }
    const auto reservesField = seance->DBFields()->Item(QStringLiteral("NightReserves"));
    if (!reservesField) {
        ErrString = QStringLiteral("В таблице 'Seances' нет поля 'NightReserves'!");
        return false;
    }
    const auto reserves = reservesField->LookupTable(ErrString);
    if (!reserves) {
        return false;
    }
    // Every reserve that points at the seance is unlinked, so none is left naming a removed seance.
    for (const auto &reserve : *reserves) {
        SetFieldValue(*reserve, QStringLiteral("Seance"), 0);
        if (!reserve->Update(ErrString)) {
            return false;
        }
    }
    return seances->Remove(SeanceCode, true, ErrString) && transaction.Commit(ErrString);
}
