#pragma once

#include "entityenums.h"
#include "field.h"
#include "sqldialect.h"

#include <QVariant>

#include <memory>

namespace Rollstrake
{
class Table;

// One condition slot of a filter: a comparison of one field with Value (and Value2 for cBetween).
class DBFilterField
{
public:
    // The slot takes part even when Value is the empty value of the field's type.
    bool IncludeEmpty() const;
    void SetIncludeEmpty(bool value);
    const QVariant &Value() const;
    void SetValue(const QVariant &value);
    const QVariant &Value2() const;
    void SetValue2(const QVariant &value);
    // An enCondition.
    qint32 Condition() const;
    void SetCondition(qint32 value);
    const std::shared_ptr<Rollstrake::Field> &Field() const;
    // The slot takes part in the WHERE clause.
    bool IsFilterSet() const;

    // Library use.
    void SetField(const std::shared_ptr<Rollstrake::Field> &field);
    std::shared_ptr<Rollstrake::Table> GetTable() const;
    QString GetConditionTemplate() const;
    QString GetSQLCondition(SqlDialect dialect) const;

private:
    bool m_includeEmpty = false;
    QVariant m_value;
    QVariant m_value2;
    qint32 m_condition = cEqual;
    std::shared_ptr<Rollstrake::Field> m_field;
};
} // namespace Rollstrake
