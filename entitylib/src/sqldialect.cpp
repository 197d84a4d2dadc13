#include "sqldialect.h"

#include "currency.h"
#include "entitylib.h"
#include "texthelpers.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Rollstrake::Dialect
{
namespace
{
// A whole number bound to an INT column stays this close to the 64-bit limits, where every
// double still converts.
constexpr double BoundWholeLimit = 9.2e18;
} // namespace

QString DBTypeName(SqlDialect dialect, int typeCode)
{
    switch (typeCode) {
    case ftINT:
        return dialect == SqlDialect::SQLite || dialect == SqlDialect::PostgreSQL ? QStringLiteral("INTEGER")
                                                                                  : QStringLiteral("INT");
    case ftVARCHAR:
        // Text columns compare without regard to letter case, as the library's statements expect.
        return dialect == SqlDialect::SQLite ? QStringLiteral("VARCHAR COLLATE NOCASE") : QStringLiteral("VARCHAR");
    case ftDOUBLE:
        switch (dialect) {
        case SqlDialect::Access:
            return QStringLiteral("DOUBLE");
        case SqlDialect::SqlServer:
            return QStringLiteral("FLOAT");
        default:
            return QStringLiteral("NUMERIC(19,4)");
        }
    case ftDATETIME:
        return dialect == SqlDialect::PostgreSQL ? QStringLiteral("TIMESTAMP(0)") : QStringLiteral("DATETIME");
    case ftDATE:
        return dialect == SqlDialect::SqlServer ? QStringLiteral("SMALLDATETIME") : QStringLiteral("DATE");
    default:
        return {};
    }
}

namespace
{
// "yyyy-MM-dd hh:mm:ss" or "yyyy-MM-dd" written digit by digit: a format pattern costs a hundred
// times more, and every bound date of every read goes through here.
QString DateText(const QDateTime &value, bool withTime)
{
    constexpr int LastFourDigitYear = 9999;
    const QDate date = value.date();
    if (!value.isValid() || date.year() < 0 || date.year() > LastFourDigitYear) {
        return value.toString(withTime ? u"yyyy-MM-dd hh:mm:ss" : u"yyyy-MM-dd");
    }
    const QTime time = value.time();
    std::array<char, sizeof("0000-00-00 00:00:00")> text{};
    const auto put = [&text](size_t at, int number, int digits) {
        constexpr int Base = 10;
        for (int i = digits - 1; i >= 0; --i) {
            text[at + size_t(i)] = char('0' + number % Base);
            number /= Base;
        }
    };
    put(0, date.year(), 4);
    text[4] = '-';
    put(5, date.month(), 2);
    text[7] = '-';
    put(8, date.day(), 2);
    if (!withTime) {
        return QString::fromLatin1(text.data(), 10);
    }
    text[10] = ' ';
    put(11, time.hour(), 2);
    text[13] = ':';
    put(14, time.minute(), 2);
    text[16] = ':';
    put(17, time.second(), 2);
    return QString::fromLatin1(text.data(), 19);
}
} // namespace

QString DateLiteral(SqlDialect dialect, const QDateTime &value, bool withTime)
{
    switch (dialect) {
    case SqlDialect::SQLite:
        // Stored as fixed-width text, so text order is time order.
        return QLatin1Char('\'') + DateText(value, withTime) + QLatin1Char('\'');
    case SqlDialect::PostgreSQL:
        return (withTime ? QStringLiteral("TIMESTAMP '") : QStringLiteral("DATE '")) + DateText(value, withTime)
               + QLatin1Char('\'');
    default:
        return GetODBCDateLiteral(value, withTime ? OdbcTimestamp : OdbcDate);
    }
}

namespace
{
// PostgreSQL folds an unquoted name to lower case, letters A to Z only in a UTF-8 database.
QString FoldedAsUnquoted(QString name)
{
    for (QChar &ch : name) {
        if (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) {
            ch = QChar(ch.unicode() + ('a' - 'A'));
        }
    }
    return name;
}
} // namespace

QString Name(SqlDialect dialect, const QString &name)
{
    if (dialect == SqlDialect::PostgreSQL) {
        // Earlier versions wrote names unquoted: the folded spelling finds the tables they made.
        return QLatin1Char('"') + FoldedAsUnquoted(name) + QLatin1Char('"');
    }
    // Brackets on SQLite too: a name in double quotes that names no column is read there as a
    // text, so a condition on a column gone from the table would compare a constant instead of failing.
    return QLatin1Char('[') + name + QLatin1Char(']');
}

QString CreateTable(SqlDialect dialect, const QString &table, const QString &columns)
{
    const QString head = QStringLiteral("CREATE TABLE ") + Name(dialect, table);
    const QString key = QStringLiteral("CONSTRAINT PK_") + table + QStringLiteral(" PRIMARY KEY (Code))");
    switch (dialect) {
    case SqlDialect::Access:
        return head + QStringLiteral("(Code COUNTER,") + columns + key;
    case SqlDialect::SqlServer:
        return head + QStringLiteral("(Code INT IDENTITY,") + columns + key;
    case SqlDialect::PostgreSQL:
        return head + QStringLiteral("(Code SERIAL,") + columns + key;
    case SqlDialect::SQLite:
        break;
    }
    // AUTOINCREMENT (only allowed on the column itself): codes of deleted records are never reused.
    QString rest = columns;
    if (rest.endsWith(QLatin1Char(','))) {
        rest.chop(1);
    }
    return head + QStringLiteral("(Code INTEGER CONSTRAINT PK_") + table + QStringLiteral(" PRIMARY KEY AUTOINCREMENT")
           + (rest.isEmpty() ? QString() : QLatin1Char(',') + rest) + QLatin1Char(')');
}

QString ColumnName(SqlDialect dialect, const QString &name)
{
    return Name(dialect, name) + QLatin1Char(' ');
}

QString CreateIndex(SqlDialect dialect, const QString &table, const QStringList &fields)
{
    if (dialect != SqlDialect::SQLite && dialect != SqlDialect::PostgreSQL) {
        return {};
    }
    QStringList columns;
    for (const QString &field : fields) {
        columns << Name(dialect, field);
    }
    return QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_") + table + QLatin1Char('_') + fields.join(QLatin1Char('_'))
           + QStringLiteral("\" ON ") + Name(dialect, table) + QStringLiteral(" (") + columns.join(QStringLiteral(", "))
           + QLatin1Char(')');
}

QString AddColumnHead(SqlDialect dialect, const QString &table)
{
    return QStringLiteral("ALTER TABLE ") + Name(dialect, table) + QStringLiteral(" ADD ")
           + (dialect == SqlDialect::SqlServer ? QString() : QStringLiteral("COLUMN")) + QLatin1Char(' ');
}

QString TextOperand(SqlDialect dialect, const QString &operand)
{
    if (dialect == SqlDialect::PostgreSQL) {
        return QStringLiteral("LOWER(") + operand + QLatin1Char(')');
    }
    return operand;
}

QString Placeholder(SqlDialect dialect, int typeCode)
{
    if (dialect != SqlDialect::PostgreSQL) {
        return QStringLiteral("?");
    }
    // Typed on the server, so exact texts reach exact columns.
    switch (typeCode) {
    case ftDOUBLE:
        return QStringLiteral("CAST(? AS NUMERIC(19,4))");
    case ftDATETIME:
        return QStringLiteral("CAST(? AS TIMESTAMP(0))");
    case ftDATE:
        return QStringLiteral("CAST(? AS DATE)");
    default:
        return QStringLiteral("?");
    }
}

QVariant BindValue(SqlDialect dialect, int typeCode, const QVariant &value)
{
    switch (typeCode) {
    case ftINT:
        // The column holds whole numbers; a half goes to the even neighbour.
        return static_cast<qint64>(std::clamp(std::nearbyint(value.toDouble()), -BoundWholeLimit, BoundWholeLimit));
    case ftDOUBLE:
        if (dialect == SqlDialect::PostgreSQL) {
            return value.value<Currency>().ToString();
        }
        return value.value<Currency>().ToDouble();
    case ftDATETIME:
        return DateText(value.toDateTime(), true);
    case ftDATE:
        return DateText(value.toDateTime(), false);
    default:
        return value.toString();
    }
}

bool BindsValues(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLite || dialect == SqlDialect::PostgreSQL;
}

QVariant LiteralValue(SqlDialect dialect, int typeCode, const QVariant &value)
{
    switch (typeCode) {
    case ftVARCHAR: {
        // An empty text, never NULL: the literal '' matches an empty value, NULL matches nothing.
        const QString text = TrimBlanks(value.toString());
        return text.isNull() ? QStringLiteral("") : text;
    }
    case ftINT: {
        const double number = value.toDouble();
        if (std::trunc(number) == number && std::abs(number) <= BoundWholeLimit) {
            return static_cast<qint64>(number);
        }
        return number;
    }
    default:
        return BindValue(dialect, typeCode, value);
    }
}

QString LikeOperator(SqlDialect dialect)
{
    return dialect == SqlDialect::PostgreSQL ? QStringLiteral(" ILIKE ") : QStringLiteral(" LIKE ");
}
} // namespace Rollstrake::Dialect
