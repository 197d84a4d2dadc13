#pragma once

#include "sqldialect.h"
#include "vocabulary.h"

#include <QVariant>

namespace Rollstrake
{
// A data type keyword (enFieldType) with the value rules of the type. Converted values are
// INT: double; VARCHAR: QString; DOUBLE: Currency; DATETIME and DATE: QDateTime (UTC wall clock,
// DATE at 00:00:00). Conversion never fails: a non-number becomes 0, a non-date 30/12/1899.
class FieldType : public VocabularyEntry
{
public:
    using VocabularyEntry::VocabularyEntry;

    QVariant ConvertValue(const QVariant &Value) const;
    QVariant GetEmptyValue() const;
    bool IsEmptyValue(const QVariant &Value) const;
    // Display text: numbers with a decimal point, dates as dd/mm/yyyy[ hh:mm:ss].
    QString GetStringValue(const QVariant &Value) const;
    // SQL literal of the converted value for the open database's engine.
    QString GetSQLValue(const QVariant &Value, bool IsLike) const;
    QString GetSQLValue(const QVariant &Value, bool IsLike, SqlDialect dialect) const;
    // Column type name for the open database's engine.
    QString GetDBTypeName() const;
    QString GetDBTypeName(SqlDialect dialect) const;
};

// INT, VARCHAR, DOUBLE, DATETIME, DATE; one shared instance.
class FieldTypes : public Vocabulary<FieldType>
{
public:
    static const FieldTypes &Instance();
};
} // namespace Rollstrake
