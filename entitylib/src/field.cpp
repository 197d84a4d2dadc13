#include "connection.h"
#include "entitylib.h"

namespace Rollstrake
{
Field::Field()
    : m_type(FieldTypes::Instance().Item(qint32(ftINT)))
    , m_total(FieldTotals::Instance().Item(qint32(fttNone)))
    , m_class(FieldClasses::Instance().Item(qint32(fcNormal)))
{
}

const QString &Field::Default() const
{
    return m_default;
}

void Field::SetDefault(const QString &value)
{
    m_default = value;
    m_defaultValue.reset();
}

const QString &Field::TableForLookup() const
{
    return m_tableForLookup;
}

void Field::SetTableForLookup(const QString &value)
{
    m_tableForLookup = value;
}

const QString &Field::FieldForLookup() const
{
    return m_fieldForLookup;
}

void Field::SetFieldForLookup(const QString &value)
{
    m_fieldForLookup = value;
}

bool Field::Sorted() const
{
    return m_sorted;
}

void Field::SetSorted(bool value)
{
    m_sorted = value;
}

bool Field::Required() const
{
    return m_required;
}

void Field::SetRequired(bool value)
{
    m_required = value;
}

bool Field::UniqueKey() const
{
    return m_uniqueKey;
}

void Field::SetUniqueKey(bool value)
{
    m_uniqueKey = value;
}

const QString &Field::Caption() const
{
    return m_caption;
}

void Field::SetCaption(const QString &value)
{
    m_caption = value;
}

qint32 Field::Length() const
{
    return m_length;
}

void Field::SetLength(qint32 value)
{
    m_length = value;
    m_defaultValue.reset();
}

std::shared_ptr<Table> Field::Table() const
{
    return m_table.lock();
}

const std::shared_ptr<FieldType> &Field::mType() const
{
    return m_type;
}

const std::shared_ptr<FieldTotal> &Field::Total() const
{
    return m_total;
}

const std::shared_ptr<FieldClass> &Field::mClass() const
{
    return m_class;
}

const QString &Field::mName() const
{
    return m_name;
}

void Field::SetmName(const QString &value)
{
    m_name = value;
}

void Field::SetType(const std::shared_ptr<FieldType> &type)
{
    m_type = type;
    m_defaultValue.reset();
}

void Field::SetTotal(const std::shared_ptr<FieldTotal> &total)
{
    m_total = total;
}

void Field::SetClass(const std::shared_ptr<FieldClass> &fieldClass)
{
    m_class = fieldClass;
}

void Field::SetTable(const std::weak_ptr<Rollstrake::Table> &table)
{
    m_table = table;
}

bool Field::IsStored() const
{
    return m_class->Code() != fcLookupTable && m_class->Code() != fcLookupTableTotal;
}

QString Field::GetFullName() const
{
    const auto table = Table();
    return QLatin1Char('\'') + (table ? table->mName() : QString()) + QLatin1Char('.') + m_name + QLatin1Char('\'');
}

QVariant Field::CheckValue(const QVariant &value) const
{
    QVariant converted = m_type->ConvertValue(value);
    // A length of 0 or less sets no limit: cutting to it would lose the whole text.
    if (m_type->Code() == ftVARCHAR && m_length > 0) {
        converted = converted.toString().left(m_length);
    }
    return converted;
}

QVariant Field::GetDefaultValue() const
{
    // Every new record and every record read starts from it: it is converted once.
    if (!m_defaultValue) {
        m_defaultValue = m_default.isEmpty() ? m_type->GetEmptyValue() : CheckValue(m_default);
    }
    return *m_defaultValue;
}

QString Field::GetColumnDDL(SqlDialect dialect) const
{
    if (!IsStored()) {
        return {};
    }
    QString ddl = Dialect::ColumnName(dialect, m_name) + m_type->GetDBTypeName(dialect);
    if (dialect == SqlDialect::SqlServer) {
        if (m_length > 0) {
            ddl += QLatin1Char('(') + QString::number(m_length) + QLatin1Char(')');
        }
        ddl += QStringLiteral(" NOT NULL DEFAULT ") + m_type->GetSQLValue(GetDefaultValue(), false, dialect);
    }
    return ddl;
}

QString Field::GetColumnDDL() const
{
    return GetColumnDDL(Connection::CurrentDialect());
}

bool Field::AddToDBTable(QString &ErrString) const
{
    if (!IsStored()) {
        return true;
    }
    Connection *connection = Connection::Current();
    const SqlDialect dialect = connection->Dialect();
    const QString table = Table()->mName();
    const QString quotedTable = Dialect::Name(dialect, table);
    const QString column = Dialect::Name(dialect, m_name);
    // A probe that returns no rows: start-up time does not grow with the data. Its failure is what a
    // missing column answers, and context for an addition that fails.
    QString probeError;
    if (connection->Execute(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") + quotedTable
                                + QStringLiteral(" WHERE 1=0"),
                            probeError)) {
        return true;
    }
    QString description;
    if (!connection->Execute(Dialect::AddColumnHead(dialect, table) + GetColumnDDL(), description)) {
        ErrString = QStringLiteral("Ошибка добавления поля '") + m_name + QStringLiteral("' в таблицу '") + table
                    + QStringLiteral("': ") + description + QStringLiteral("\r\n(чтение поля: ") + probeError
                    + QLatin1Char(')');
        return false;
    }
    if (!connection->Execute(QStringLiteral("UPDATE ") + quotedTable + QStringLiteral(" SET ") + column
                                 + QLatin1Char('=') + m_type->GetSQLValue(GetDefaultValue(), false),
                             description)) {
        ErrString = QStringLiteral("Ошибка установки значений по умолчанию в добавленое поле'") + m_name
                    + QStringLiteral("' таблицы '") + table + QStringLiteral("': ") + description;
        return false;
    }
    return true;
}
} // namespace Rollstrake
