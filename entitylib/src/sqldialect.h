#pragma once

#include "rollstrake_export.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Rollstrake
{
// The wording of statements per database engine. Access and SqlServer are the two classic kinds
// (IsSQLServer 0 and 1); SQLite and PostgreSQL are the engines the library runs on here.
enum class SqlDialect
{
    Access,
    SqlServer,
    SQLite,
    PostgreSQL,
};

namespace Dialect
{
// Column type name of a field type (enFieldType).
ROLLSTRAKE_TESTS_EXPORT QString DBTypeName(SqlDialect dialect, int typeCode);
// Literal of a date, with or without its time.
ROLLSTRAKE_TESTS_EXPORT QString DateLiteral(SqlDialect dialect, const QDateTime &value, bool withTime);
// CREATE TABLE with the key column Code and the column definitions (each followed by ",").
ROLLSTRAKE_TESTS_EXPORT QString CreateTable(SqlDialect dialect, const QString &table, const QString &columns);
// A table or field name quoted as the engine reads identifiers, so that a name which is also a
// keyword ("When", "Order") holds in every statement.
ROLLSTRAKE_TESTS_EXPORT QString Name(SqlDialect dialect, const QString &name);
// A column name as written in definitions.
ROLLSTRAKE_TESTS_EXPORT QString ColumnName(SqlDialect dialect, const QString &name);
// The index "IX_<table>_<f1>_<f2>..." over these columns in this order, made only where missing;
// empty for the classic kinds, which have no such form and keep the statements they always had.
ROLLSTRAKE_TESTS_EXPORT QString CreateIndex(SqlDialect dialect, const QString &table, const QStringList &fields);
// "ALTER TABLE t ADD ..." up to the column definition.
ROLLSTRAKE_TESTS_EXPORT QString AddColumnHead(SqlDialect dialect, const QString &table);
// The left side of a text comparison and the wrapped literal: case-insensitive where the engine
// compares case-sensitively.
ROLLSTRAKE_TESTS_EXPORT QString TextOperand(SqlDialect dialect, const QString &operand);
// The placeholder of a bound value of a field type in INSERT.
ROLLSTRAKE_TESTS_EXPORT QString Placeholder(SqlDialect dialect, int typeCode);
// A converted field value in the form bound to its placeholder.
ROLLSTRAKE_TESTS_EXPORT QVariant BindValue(SqlDialect dialect, int typeCode, const QVariant &value);
// The engines on which conditions and updates bind their values (the classic kinds keep literals).
ROLLSTRAKE_TESTS_EXPORT bool BindsValues(SqlDialect dialect);
// A converted field value bound where a literal of GetSQLValue stood, meaning the same: a text
// trimmed, a whole number as an integer (a fraction stays a fraction), the rest as BindValue.
ROLLSTRAKE_TESTS_EXPORT QVariant LiteralValue(SqlDialect dialect, int typeCode, const QVariant &value);
// " LIKE " or the engine's case-insensitive form.
ROLLSTRAKE_TESTS_EXPORT QString LikeOperator(SqlDialect dialect);
} // namespace Dialect
} // namespace Rollstrake
