#pragma once

#include "dbfield.h"
#include "fields.h"

#include <memory>
#include <vector>

namespace Rollstrake
{
// The field values of one record (every field) or the totals of a record set (SUM fields only),
// in schema order; found by field name without regard to letter case or by 1-based position.
class DBFields
{
public:
    using Iterator = std::vector<std::shared_ptr<DBField>>::const_iterator;

    std::shared_ptr<DBField> Item(const QString &name) const;
    std::shared_ptr<DBField> Item(qint32 position) const;
    qint32 Count() const;
    Iterator begin() const;
    Iterator end() const;

    // Library use.
    bool Init(const Rollstrake::Fields &fields, bool IsTotals);
    void Add(const std::shared_ptr<DBField> &field);
    bool IsTotals() const;
    void SetIsTotals(bool value);
    void SetRecordCode(qint32 code);
    bool LoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString);

private:
    std::vector<std::shared_ptr<DBField>> m_fields;
    bool m_isTotals = false;
    qint32 m_recordCode = 0;
};
} // namespace Rollstrake
