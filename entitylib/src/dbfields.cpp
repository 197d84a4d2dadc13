#include "entitylib.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace Rollstrake
{
std::shared_ptr<DBField> DBFields::Item(const QString &name) const
{
    if (m_schema) {
        const qint32 index = m_schema->IndexOf(name);
        return index < 0 ? nullptr : m_fields[static_cast<size_t>(index)];
    }
    for (const auto &field : m_fields) {
        if (field->Field()->mName().compare(name, Qt::CaseInsensitive) == 0) {
            return field;
        }
    }
    return nullptr;
}

std::shared_ptr<DBField> DBFields::Item(qint32 position) const
{
    if (position < 1 || position > Count()) {
        return nullptr;
    }
    return m_fields[static_cast<size_t>(position - 1)];
}

qint32 DBFields::Count() const
{
    return static_cast<qint32>(m_fields.size());
}

DBFields::Iterator DBFields::begin() const
{
    return m_fields.begin();
}

DBFields::Iterator DBFields::end() const
{
    return m_fields.end();
}

bool DBFields::Init(const std::shared_ptr<Rollstrake::Fields> &fields, bool IsTotals)
{
    m_isTotals = IsTotals;
    m_fields.clear();
    m_fields.reserve(static_cast<size_t>(fields->Count()));
    // Totals hold only the summed fields: their names are searched among themselves.
    m_schema = IsTotals ? nullptr : fields;
    if (IsTotals) {
        for (const auto &field : *fields) {
            if (field->Total()->Code() == fttSum) {
                auto value = std::make_shared<DBField>();
                value->Init(field);
                Add(value);
            }
        }
        return true;
    }
    // A record's values come in one block: reading a set makes a record per row.
    const auto block = std::make_shared<std::vector<DBField>>(static_cast<size_t>(fields->Count()));
    qsizetype index = 0;
    for (const auto &field : *fields) {
        DBField &value = (*block)[static_cast<size_t>(index++)];
        value.Init(field);
        value.SetIsTotals(false);
        value.SetRecordCode(m_recordCode);
        m_fields.push_back(std::shared_ptr<DBField>(block, &value));
    }
    return true;
}

void DBFields::Add(const std::shared_ptr<DBField> &field)
{
    // A value added beyond the table's own no longer sits at its field's position.
    if (m_schema && m_fields.size() >= static_cast<size_t>(m_schema->Count())) {
        m_schema.reset();
    }
    field->SetIsTotals(m_isTotals);
    field->SetRecordCode(m_recordCode);
    m_fields.push_back(field);
}

bool DBFields::IsTotals() const
{
    return m_isTotals;
}

void DBFields::SetIsTotals(bool value)
{
    m_isTotals = value;
    for (const auto &field : m_fields) {
        field->SetIsTotals(value);
    }
}

void DBFields::SetRecordCode(qint32 code)
{
    m_recordCode = code;
    for (const auto &field : m_fields) {
        field->SetRecordCode(code);
    }
}

bool DBFields::LoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString)
{
    for (const auto &field : m_fields) {
        if (!field->sysLoadFromDB(query, columns, ErrString)) {
            return false;
        }
    }
    return true;
}

bool DBFields::LoadFromDB(const QSqlQuery &query, const std::vector<int> &columns, QString &ErrString)
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (!m_fields[i]->sysLoadFromDB(query, i < columns.size() ? columns[i] : -1, ErrString)) {
            return false;
        }
    }
    return true;
}
} // namespace Rollstrake
