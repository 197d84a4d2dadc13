#pragma once

#include "table.h"

#include <QString>

#include <memory>
#include <vector>

namespace Rollstrake
{
// The schema's tables in schema order, found by name without regard to letter case or by
// 1-based position.
class Tables : public std::enable_shared_from_this<Tables>
{
public:
    using Iterator = std::vector<std::shared_ptr<Table>>::const_iterator;

    std::shared_ptr<Table> Item(const QString &name) const;
    std::shared_ptr<Table> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;

    // Library use. Add refuses a second table of one name, with the collection's refusal text.
    bool Add(const std::shared_ptr<Table> &table, QString &refusal);
    bool CheckDBStructure(QString &ErrString);
    bool SavePresetValues(QString &ErrString);
    // The first record of any table that refers to (tableName, code) through a FOREIGNKEY field,
    // or with cascade removes them all; ok false on a failed read or cascade delete.
    std::shared_ptr<DBField>
    GetReferencingRecords(const QString &tableName, qint32 code, bool cascade, bool &ok, QString &ErrString);
    // Drops every record cache (after a rollback the caches may hold what the database does not).
    void ForgetCaches();

private:
    std::vector<std::shared_ptr<Table>> m_tables;
};
} // namespace Rollstrake
