#pragma once

#include "field.h"

#include <QString>

#include <memory>
#include <vector>

namespace Rollstrake
{
class Table;

// The fields of one table in schema order, found by name without regard to letter case or by
// 1-based position.
class Fields
{
public:
    using Iterator = std::vector<std::shared_ptr<Field>>::const_iterator;

    std::shared_ptr<Field> Item(const QString &name) const;
    std::shared_ptr<Field> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;
    std::shared_ptr<Rollstrake::Table> Table() const;

    // Library use. Add refuses a second field of one name, with the collection's refusal text.
    bool Add(const std::shared_ptr<Field> &field, QString &refusal);
    void SetTable(const std::weak_ptr<Rollstrake::Table> &table);
    // Definitions of the stored fields, each followed by ",".
    QString GetColumnsDDL(SqlDialect dialect) const;
    // " ORDER BY A, B" over the sorted stored fields; empty when none is sorted. Texts are ordered
    // without regard to letter case on every engine.
    QString GetOrderBy(SqlDialect dialect) const;

private:
    std::vector<std::shared_ptr<Field>> m_fields;
    std::weak_ptr<Rollstrake::Table> m_table;
};

// The refusal text of a keyed collection that already holds the key.
QString DuplicateKeyText();
} // namespace Rollstrake
