#pragma once

#include "dbfilterfield.h"

#include <memory>
#include <vector>

namespace Rollstrake
{
class Table;

// A filter of a record set: either a key filter (Code other than -1) or one condition slot per
// field of the table, joined with AND.
class DBFilterFields
{
public:
    using Iterator = std::vector<std::shared_ptr<DBFilterField>>::const_iterator;

    // -1: no key filter; any other value selects that record alone.
    qint32 Code() const;
    void SetCode(qint32 value);
    std::shared_ptr<Rollstrake::Table> Table() const;
    std::shared_ptr<DBFilterField> Item(const QString &name) const;
    std::shared_ptr<DBFilterField> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;
    // Some slot takes part (never with a key filter).
    bool IsFilterSet() const;

    // Library use.
    bool Add(const std::shared_ptr<Rollstrake::Table> &table);
    void AddFilterField(const std::shared_ptr<DBFilterField> &slot);
    QString GetWhereClause() const;
    QString GetWhereClause(SqlDialect dialect) const;

private:
    qint32 m_code = -1;
    std::weak_ptr<Rollstrake::Table> m_table;
    std::vector<std::shared_ptr<DBFilterField>> m_slots;
};
} // namespace Rollstrake
