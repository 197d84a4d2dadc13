#include "connection.h"
#include "entitylib.h"
#include "sqldialect.h"

#include <limits>

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

std::shared_ptr<DBFilterField> DBFilterFields::MakeSlot(qint32 index) const
{
    auto &slot = m_slots[static_cast<size_t>(index)];
    if (!slot) {
        slot = std::make_shared<DBFilterField>();
        slot->SetField(m_fields->Item(index + 1));
    }
    return slot;
}

void DBFilterFields::MakeSlots() const
{
    if (m_slotsMade) {
        return;
    }
    m_slotsMade = true;
    for (qint32 index = 0; m_fields && index < m_fields->Count(); ++index) {
        MakeSlot(index);
    }
}

std::shared_ptr<DBFilterField> DBFilterFields::Item(const QString &name) const
{
    if (m_fields) {
        const qint32 index = m_fields->IndexOf(name);
        if (index >= 0) {
            return MakeSlot(index);
        }
    }
    // Slots added beyond the table's own fields.
    for (size_t i = m_fields ? static_cast<size_t>(m_fields->Count()) : 0; i < m_slots.size(); ++i) {
        if (m_slots[i]->Field()->mName().compare(name, Qt::CaseInsensitive) == 0) {
            return m_slots[i];
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
    MakeSlots();
    return static_cast<qint32>(m_slots.size());
}

DBFilterFields::Iterator DBFilterFields::begin() const
{
    MakeSlots();
    return m_slots.begin();
}

DBFilterFields::Iterator DBFilterFields::end() const
{
    MakeSlots();
    return m_slots.end();
}

bool DBFilterFields::IsFilterSet() const
{
    if (m_code != NoKeyFilter) {
        return false;
    }
    for (const auto &slot : m_slots) {
        if (slot && slot->IsFilterSet()) {
            return true;
        }
    }
    return false;
}

bool DBFilterFields::Add(const std::shared_ptr<Rollstrake::Table> &table)
{
    m_table = table;
    m_fields = table->Fields();
    m_slots.assign(static_cast<size_t>(m_fields->Count()), nullptr);
    m_slotsMade = false;
    return true;
}

void DBFilterFields::AddFilterField(const std::shared_ptr<DBFilterField> &slot)
{
    MakeSlots();
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
        if (!slot) {
            continue;
        }
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

QString DBFilterFields::GetWhereClause(SqlDialect dialect, QVariantList &Values) const
{
    if (m_code != NoKeyFilter) {
        Values << m_code;
        return QStringLiteral(" WHERE Code=?");
    }
    QString clause;
    for (const auto &slot : m_slots) {
        if (!slot) {
            continue;
        }
        const QString condition = slot->GetSQLCondition(dialect, Values);
        if (!condition.isEmpty()) {
            clause += (clause.isEmpty() ? QLatin1StringView(" WHERE ") : QLatin1StringView(" AND ")) + condition;
        }
    }
    return clause;
}

QByteArray DBFilterFields::ClauseShape(SqlDialect dialect) const
{
    if (m_code != NoKeyFilter || !Dialect::BindsValues(dialect)) {
        return {};
    }
    QByteArray shape;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const auto &slot = m_slots[i];
        if (!slot || !slot->IsFilterSet()) {
            continue;
        }
        const enCondition condition = slot->Condition();
        if (condition == cLeftLike || condition == cRightLike || condition == cLike
            || i > std::numeric_limits<quint16>::max()) {
            return {};
        }
        const auto position = static_cast<quint16>(i);
        shape.append(char(position >> 8)).append(char(position & 0xFF)).append(char(condition));
    }
    // A filter without a condition reads the whole table: a shape of its own.
    return shape.isEmpty() ? QByteArrayLiteral("*") : shape;
}

void DBFilterFields::AppendValues(SqlDialect dialect, QVariantList &Values) const
{
    for (const auto &slot : m_slots) {
        if (slot && slot->IsFilterSet()) {
            slot->AppendValues(dialect, Values);
        }
    }
}
} // namespace Rollstrake
