#include "entitylib.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace Rollstrake
{
std::shared_ptr<DBField> DBFields::Item(const QString &name) const
{
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

bool DBFields::Init(const Rollstrake::Fields &fields, bool IsTotals)
{
    m_isTotals = IsTotals;
    m_fields.clear();
    m_fields.reserve(static_cast<size_t>(fields.Count()));
    for (const auto &field : fields) {
        if (IsTotals && field->Total()->Code() != fttSum) {
            continue;
        }
        auto value = std::make_shared<DBField>();
        value->Init(field);
        Add(value);
    }
    return true;
}

void DBFields::Add(const std::shared_ptr<DBField> &field)
{
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
} // namespace Rollstrake
