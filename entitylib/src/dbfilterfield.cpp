#include "entitylib.h"
#include "sqldialect.h"

namespace Rollstrake
{
bool DBFilterField::IncludeEmpty() const
{
    return m_includeEmpty;
}

void DBFilterField::SetIncludeEmpty(bool value)
{
    m_includeEmpty = value;
}

const QVariant &DBFilterField::Value() const
{
    return m_value;
}

void DBFilterField::SetValue(const QVariant &value)
{
    m_value = value;
}

const QVariant &DBFilterField::Value2() const
{
    return m_value2;
}

void DBFilterField::SetValue2(const QVariant &value)
{
    m_value2 = value;
}

qint32 DBFilterField::Condition() const
{
    return m_condition;
}

void DBFilterField::SetCondition(qint32 value)
{
    m_condition = value;
}

const std::shared_ptr<Field> &DBFilterField::Field() const
{
    return m_field;
}

bool DBFilterField::IsFilterSet() const
{
    return m_includeEmpty || !m_field->mType()->IsEmptyValue(m_value);
}

void DBFilterField::SetField(const std::shared_ptr<Rollstrake::Field> &field)
{
    m_field = field;
}

std::shared_ptr<Table> DBFilterField::GetTable() const
{
    return m_field->Table();
}

QString DBFilterField::GetConditionTemplate() const
{
    switch (m_condition) {
    case cEqual:
        return QStringLiteral("=<V1>");
    case cLess:
        return QStringLiteral("<<V1>");
    case cMore:
        return QStringLiteral("><V1>");
    case cNotEqual:
        return QStringLiteral("<><V1>");
    case cLessOrEqual:
        return QStringLiteral("<=<V1>");
    case cMoreOrEqual:
        return QStringLiteral(">=<V1>");
    case cBetween:
        return QStringLiteral(" BETWEEN <V1> AND <V2>");
    case cLeftLike:
        return QStringLiteral(" LIKE '%<V1>'");
    case cRightLike:
        return QStringLiteral(" LIKE '<V1>%'");
    case cLike:
        return QStringLiteral(" LIKE '%<V1>%'");
    default:
        return {};
    }
}

QString DBFilterField::GetSQLCondition(SqlDialect dialect) const
{
    if (!IsFilterSet()) {
        return {};
    }
    const bool isLike = m_condition == cLeftLike || m_condition == cRightLike || m_condition == cLike;
    const FieldType &type = *m_field->mType();
    QString value1 = type.GetSQLValue(m_value, isLike, dialect);
    QString value2 = type.GetSQLValue(m_value2, isLike, dialect);
    QString name = m_field->mName();
    QString pattern = GetConditionTemplate();
    if (type.Code() == ftVARCHAR && dialect == SqlDialect::PostgreSQL) {
        // PostgreSQL compares text case-sensitively; the library's comparisons are not.
        if (isLike) {
            pattern.replace(QStringLiteral(" LIKE "), Dialect::LikeOperator(dialect));
            pattern += QStringLiteral(" ESCAPE ''");
        } else {
            name = Dialect::TextOperand(dialect, name);
            value1 = Dialect::TextOperand(dialect, value1);
            value2 = Dialect::TextOperand(dialect, value2);
        }
    }
    pattern.replace(QStringLiteral("<V1>"), value1);
    pattern.replace(QStringLiteral("<V2>"), value2);
    return name + pattern;
}
} // namespace Rollstrake
