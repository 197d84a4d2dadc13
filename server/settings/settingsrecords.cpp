#include "settings/settingsrecords.h"

#include "core/dbvalues.h"
#include "entitylib.h"

std::shared_ptr<Rollstrake::DBRecord> NewSettingsRecord(const QString &TableName, QString &ErrString)
{
    const auto table = DBTable(TableName, ErrString);
    return table ? table->GetNewRecord() : nullptr;
}

bool StoreSettingsRecord(Rollstrake::DBRecord &Record, QString &ErrString)
{
    Rollstrake::Transaction transaction;
    return transaction.Begin(ErrString) && Record.Update(ErrString) && transaction.Commit(ErrString);
}

bool DeleteSettingsRecord(const QString &TableName, qint32 Code, bool DeleteCascade, QString &ErrString)
{
    const auto table = DBTable(TableName, ErrString);
    Rollstrake::Transaction transaction;
    return table && transaction.Begin(ErrString) && table->Remove(Code, DeleteCascade, ErrString)
           && transaction.Commit(ErrString);
}
