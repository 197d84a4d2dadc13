#include "entitylib.h"
#include "sqldialect.h"
#include "texthelpers.h"

namespace Rollstrake
{
std::shared_ptr<Field> Fields::Item(const QString &name) const
{
    for (const auto &field : m_fields) {
        if (field->mName().compare(name, Qt::CaseInsensitive) == 0) {
            return field;
        }
    }
    return nullptr;
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
    if (Item(field->mName())) {
        refusal = DuplicateKeyText();
        return false;
    }
    m_fields.push_back(field);
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
    QStringList names;
    for (const auto &field : m_fields) {
        if (field->IsStored() && field->Sorted()) {
            names << (field->mType()->Code() == ftVARCHAR ? Dialect::TextOperand(dialect, field->mName())
                                                          : field->mName());
        }
    }
    if (names.isEmpty()) {
        return {};
    }
    return QStringLiteral(" ORDER BY ") + names.join(QStringLiteral(", "));
}
} // namespace Rollstrake
