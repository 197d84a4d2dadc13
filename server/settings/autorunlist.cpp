#include "settings/autorunlist.h"

#include "core/dbvalues.h"

bool RewriteAutorunList(const QStringList &Programs, QString &ErrString)
{
    const auto table = DBTable(QStringLiteral("AutorunList"), ErrString);
    if (!table) {
        return false;
    }
    Rollstrake::Transaction transaction;
    if (!transaction.Begin(ErrString)) {
        return false;
    }
    const auto old = table->GetDBRecords(nullptr, ErrString);
    if (!old) {
        return false;
    }
    for (const auto &record : *old) {
        if (!table->Remove(record->Code(), true, ErrString)) {
            return false;
        }
    }
    for (const QString &program : Programs) {
        const auto record = table->GetNewRecord();
        SetFieldValue(*record, QStringLiteral("ProgramName"), program);
        if (!record->Update(ErrString)) {
            return false;
        }
    }
    return transaction.Commit(ErrString);
}
