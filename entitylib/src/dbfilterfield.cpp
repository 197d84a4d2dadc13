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

enCondition DBFilterField::Condition() const
{
    return m_condition;
}

void DBFilterField::SetCondition(enCondition value)
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
    QString name = Dialect::Name(dialect, m_field->mName());
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

QString DBFilterField::GetSQLCondition(SqlDialect dialect, QVariantList &Values) const
{
    const bool isLike = m_condition == cLeftLike || m_condition == cRightLike || m_condition == cLike;
    if (isLike || !Dialect::BindsValues(dialect)) {
        return GetSQLCondition(dialect);
    }
    if (!IsFilterSet()) {
        return {};
    }
    const FieldType &type = *m_field->mType();
    QString name = Dialect::Name(dialect, m_field->mName());
    QString placeholder = Dialect::Placeholder(dialect, type.Code());
    if (type.Code() == ftVARCHAR) {
        // PostgreSQL compares text case-sensitively; the library's comparisons are not.
        name = Dialect::TextOperand(dialect, name);
        placeholder = Dialect::TextOperand(dialect, placeholder);
    }
    AppendValues(dialect, Values);
    QLatin1StringView comparison;
    switch (m_condition) {
    case cEqual:
        comparison = QLatin1StringView("=");
        break;
    case cLess:
        comparison = QLatin1StringView("<");
        break;
    case cMore:
        comparison = QLatin1StringView(">");
        break;
    case cNotEqual:
        comparison = QLatin1StringView("<>");
        break;
    case cLessOrEqual:
        comparison = QLatin1StringView("<=");
        break;
    case cMoreOrEqual:
        comparison = QLatin1StringView(">=");
        break;
    case cBetween:
        return name + QLatin1StringView(" BETWEEN ") + placeholder + QLatin1StringView(" AND ") + placeholder;
    default:
        // An unknown condition compares nothing, as its empty template does.
        return name;
    }
    return name + comparison + placeholder;
}

bool DBFilterField::AppendValues(SqlDialect dialect, QVariantList &Values) const
{
    const bool isLike = m_condition == cLeftLike || m_condition == cRightLike || m_condition == cLike;
    if (isLike || !Dialect::BindsValues(dialect)) {
        return false;
    }
    const FieldType &type = *m_field->mType();
    const auto bind = [&](const QVariant &value) {
        Values << Dialect::LiteralValue(dialect, type.Code(), type.ConvertValue(value));
    };
    switch (m_condition) {
    case cEqual:
    case cLess:
    case cMore:
    case cNotEqual:
    case cLessOrEqual:
    case cMoreOrEqual:
        bind(m_value);
        break;
    case cBetween:
        bind(m_value);
        bind(m_value2);
        break;
    default:
        break;
    }
    return true;
}
} // namespace Rollstrake
