#pragma once

#include "entitylib.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace Rollstrake
{
// The library-use members the suites check directly: the statements and values the library works
// out before they reach the database. A friend of the classes it reads.
class TestProbe
{
public:
    static bool IsStored(const Field &field)
    {
        return field.IsStored();
    }

    static QString GetFullName(const Field &field)
    {
        return field.GetFullName();
    }

    static QVariant CheckValue(const Field &field, const QVariant &value)
    {
        return field.CheckValue(value);
    }

    static QVariant GetDefaultValue(const Field &field)
    {
        return field.GetDefaultValue();
    }

    static QString GetColumnDDL(const Field &field, SqlDialect dialect)
    {
        return field.GetColumnDDL(dialect);
    }

    static QString GetColumnsDDL(const Fields &fields, SqlDialect dialect)
    {
        return fields.GetColumnsDDL(dialect);
    }

    static QString GetOrderBy(const Fields &fields, SqlDialect dialect)
    {
        return fields.GetOrderBy(dialect);
    }

    static const QVariant &StoredValue(const DBField &field)
    {
        return field.StoredValue();
    }

    static QString GetWhereClause(const DBFilterFields &filter, SqlDialect dialect)
    {
        return filter.GetWhereClause(dialect);
    }

    static void SetCode(DBRecord &record, qint32 code)
    {
        record.SetCode(code);
    }

    static QString GetUpdateSQL(const DBRecord &record)
    {
        return record.GetUpdateSQL();
    }

    static std::shared_ptr<DBRecords> PresetRecords(Table &table)
    {
        return table.PresetRecords();
    }

    static QString OpenRecordset(const Table &table, const std::shared_ptr<DBFilterFields> &filter)
    {
        return table.OpenRecordset(filter);
    }

    static QString GetDeleteSQL(const Table &table, qint32 code)
    {
        return table.GetDeleteSQL(code);
    }

    static std::shared_ptr<Tables> Parent(const Table &table)
    {
        return table.Parent();
    }
};
} // namespace Rollstrake
