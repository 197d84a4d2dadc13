#include "entitylib.h"
#include "sqldialect.h"
#include "texthelpers.h"

namespace Rollstrake
{
std::shared_ptr<Field> Fields::Item(const QString &name) const
{
    const qint32 index = IndexOf(name);
    return index < 0 ? nullptr : m_fields[static_cast<size_t>(index)];
}

qint32 Fields::IndexOf(const QString &name) const
{
    const auto exact = m_exact.constFind(name);
    return exact != m_exact.cend() ? exact.value() : m_positions.value(name.toCaseFolded(), -1);
}

std::shared_ptr<Field> Fields::Item(qint32 position) const
{
    if (position < 1 || position > Count()) {
        return nullptr;
    }
    return m_fields[static_cast<size_t>(position - 1)];
}

qint32 Fields::Count() const
{
    return static_cast<qint32>(m_fields.size());
}

Fields::Iterator Fields::begin() const
{
    return m_fields.begin();
}

Fields::Iterator Fields::end() const
{
    return m_fields.end();
}

std::shared_ptr<Table> Fields::Table() const
{
    return m_table.lock();
}

bool Fields::Add(const std::shared_ptr<Field> &field, QString &refusal)
{
    field->SetTable(m_table);
    const QString key = field->mName().toCaseFolded();
    if (m_positions.contains(key)) {
        refusal = DuplicateKeyText();
        return false;
    }
    m_positions.insert(key, Count());
    m_exact.insert(field->mName(), Count());
    m_fields.push_back(field);
    m_orderBy.clear();
    return true;
}

void Fields::SetTable(const std::weak_ptr<Rollstrake::Table> &table)
{
    m_table = table;
}

QString Fields::GetColumnsDDL(SqlDialect dialect) const
{
    QString ddl;
    for (const auto &field : m_fields) {
        if (field->IsStored()) {
            ddl += field->GetColumnDDL(dialect) + QLatin1Char(',');
        }
    }
    return ddl;
}

QString Fields::GetOrderBy(SqlDialect dialect) const
{
    const auto made = m_orderBy.constFind(int(dialect));
    if (made != m_orderBy.cend()) {
        return made.value();
    }
    QStringList names;
    for (const auto &field : m_fields) {
        if (field->IsStored() && field->Sorted()) {
            const QString name = Dialect::Name(dialect, field->mName());
            names << (field->mType()->Code() == ftVARCHAR ? Dialect::TextOperand(dialect, name) : name);
        }
    }
    const QString orderBy =
        names.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + names.join(QStringLiteral(", "));
    m_orderBy.insert(int(dialect), orderBy);
    return orderBy;
}
} // namespace Rollstrake
