#include "entitylib.h"
#include "texthelpers.h"

namespace Rollstrake
{
Tables::~Tables()
{
    for (const auto &table : m_tables) {
        table->ReleaseRecords();
    }
}

std::shared_ptr<Table> Tables::Item(const QString &name) const
{
    const auto exact = m_exact.constFind(name);
    const qint32 index = exact != m_exact.cend() ? exact.value() : m_positions.value(name.toCaseFolded(), -1);
    return index < 0 ? nullptr : m_tables[static_cast<size_t>(index)];
}

std::shared_ptr<Table> Tables::Item(qint32 position) const
{
    if (position < 1 || position > Count()) {
        return nullptr;
    }
    return m_tables[static_cast<size_t>(position - 1)];
}

qint32 Tables::Count() const
{
    return static_cast<qint32>(m_tables.size());
}

Tables::Iterator Tables::begin() const
{
    return m_tables.begin();
}

Tables::Iterator Tables::end() const
{
    return m_tables.end();
}

bool Tables::Add(const std::shared_ptr<Table> &table, QString &refusal)
{
    const QString key = table->mName().toCaseFolded();
    if (m_positions.contains(key)) {
        refusal = DuplicateKeyText();
        return false;
    }
    table->SetParent(weak_from_this());
    m_positions.insert(key, Count());
    m_exact.insert(table->mName(), Count());
    m_tables.push_back(table);
    return true;
}

bool Tables::CheckDBStructure(QString &ErrString)
{
    for (const auto &table : m_tables) {
        if (!table->CheckDBStructure(ErrString)) {
            return false;
        }
    }
    return true;
}

bool Tables::SavePresetValues(QString &ErrString)
{
    for (const auto &table : m_tables) {
        if (!table->SavePresetValues(ErrString)) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<DBField>
Tables::GetReferencingRecords(const QString &tableName, qint32 code, bool cascade, bool &ok, QString &ErrString)
{
    for (const auto &table : m_tables) {
        auto found = table->GetReferencingRecords(tableName, code, cascade, ok, ErrString);
        if (found || !ok) {
            return found;
        }
    }
    return nullptr;
}

void Tables::ForgetCaches()
{
    for (const auto &table : m_tables) {
        table->ForgetCache();
    }
}
} // namespace Rollstrake
