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
    for (const auto &table : m_tables) {
        if (table->mName().compare(name, Qt::CaseInsensitive) == 0) {
            return table;
        }
    }
    return nullptr;
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
    if (Item(table->mName())) {
        refusal = DuplicateKeyText();
        return false;
    }
    table->SetParent(weak_from_this());
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
