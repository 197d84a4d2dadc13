#include "connection.h"
#include "entitylib.h"

namespace Rollstrake
{
qint32 DBFilterFields::Code() const
{
    return m_code;
}

void DBFilterFields::SetCode(qint32 value)
{
    m_code = value;
}

std::shared_ptr<Table> DBFilterFields::Table() const
{
    return m_table.lock();
}

std::shared_ptr<DBFilterField> DBFilterFields::Item(const QString &name) const
{
    for (const auto &slot : m_slots) {
        if (slot->Field()->mName().compare(name, Qt::CaseInsensitive) == 0) {
            return slot;
        }
    }
    return nullptr;
}

std::shared_ptr<DBFilterField> DBFilterFields::Item(qint32 position) const
{
    if (position < 1 || position > Count()) {
        return nullptr;
    }
    return m_slots[static_cast<size_t>(position - 1)];
}

qint32 DBFilterFields::Count() const
{
    return static_cast<qint32>(m_slots.size());
}

DBFilterFields::Iterator DBFilterFields::begin() const
{
    return m_slots.begin();
}

DBFilterFields::Iterator DBFilterFields::end() const
{
    return m_slots.end();
}

bool DBFilterFields::IsFilterSet() const
{
    if (m_code != NoKeyFilter) {
        return false;
    }
    for (const auto &slot : m_slots) {
        if (slot->IsFilterSet()) {
            return true;
        }
    }
    return false;
}

bool DBFilterFields::Add(const std::shared_ptr<Rollstrake::Table> &table)
{
    m_table = table;
    m_slots.clear();
    for (const auto &field : *table->Fields()) {
        auto slot = std::make_shared<DBFilterField>();
        slot->SetField(field);
        AddFilterField(slot);
    }
    return true;
}

void DBFilterFields::AddFilterField(const std::shared_ptr<DBFilterField> &slot)
{
    m_slots.push_back(slot);
}

QString DBFilterFields::GetWhereClause() const
{
    return GetWhereClause(Connection::CurrentDialect());
}

QString DBFilterFields::GetWhereClause(SqlDialect dialect) const
{
    if (m_code != NoKeyFilter) {
        return QStringLiteral(" WHERE Code=") + QString::number(m_code);
    }
    QStringList conditions;
    for (const auto &slot : m_slots) {
        const QString condition = slot->GetSQLCondition(dialect);
        if (!condition.isEmpty()) {
            conditions << condition;
        }
    }
    if (conditions.isEmpty()) {
        return {};
    }
    return QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}
} // namespace Rollstrake
