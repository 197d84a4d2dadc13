#pragma once

#include "dbrecord.h"

#include <QDateTime>
#include <QHash>

#include <memory>
#include <vector>

namespace Rollstrake
{
class DBFilterFields;

// A loaded set of records of one table in query order, indexed by Code, with totals of the SUM
// fields.
class DBRecords
{
public:
    using Iterator = std::vector<std::shared_ptr<DBRecord>>::const_iterator;

    // The filter the set was loaded with, or null.
    const std::shared_ptr<Rollstrake::DBFilterFields> &DBFilterFields() const;
    // One entry per SUM field: the sum over the set.
    const std::shared_ptr<Rollstrake::DBFields> &Totals() const;
    std::shared_ptr<DBRecord> Item(qint32 Code) const;
    // 1-based position; null outside 1..Count.
    std::shared_ptr<DBRecord> GetByIndex(qint32 Index) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;
    const std::shared_ptr<Rollstrake::Table> &Table() const;
    // Reads the set afresh through the same filter.
    bool Reload(QString &ErrString);
    // This process changed the table after the last successful Reload.
    bool IsExpired() const;

    // Library use.
    void Init(const std::shared_ptr<Rollstrake::Table> &table,
              const std::shared_ptr<Rollstrake::DBFilterFields> &filter);
    void Clear();
    void InitTotals();
    bool sysAdd(const std::shared_ptr<DBRecord> &record, QString &ErrString);
    void AddToTotals(const DBRecord &record);
    void RemoveByCode(qint32 Code);
    QDateTime LoadTime() const;

private:
    // Runs the read of the set: own for a filter, a kept statement for a key.
    QSqlQuery *RunRead(QSqlQuery &own, QString &description);

    std::shared_ptr<Rollstrake::Table> m_table;
    std::shared_ptr<Rollstrake::DBFilterFields> m_filter;
    std::shared_ptr<Rollstrake::DBFields> m_totals;
    std::vector<std::shared_ptr<DBRecord>> m_records;
    QHash<qint32, std::shared_ptr<DBRecord>> m_byCode;
    QDateTime m_loadTime;
    quint64 m_loadedChangeCount = 0;
};
} // namespace Rollstrake
