#include "connection.h"
#include "entitylib.h"
#include "sqldialect.h"
#include "texthelpers.h"

#include <QSqlQuery>

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
    // The indexes and columns there are, read once each: a start that finds the database as the
    // schema wants it runs two statements instead of one or more per table.
    QSet<QString> indexes;
    const bool indexesKnown = ReadIndexNames(indexes);
    QHash<QString, QSet<QString>> columns;
    const bool columnsKnown = ReadColumnNames(columns);
    for (const auto &table : m_tables) {
        const auto found = columns.constFind(table->mName().toCaseFolded());
        // A table the catalog does not name is probed itself, which also says why it is missing.
        const QSet<QString> *known = columnsKnown && found != columns.cend() ? &found.value() : nullptr;
        if (!table->CheckDBStructure(indexesKnown ? &indexes : nullptr, known, ErrString)) {
            return false;
        }
    }
    return true;
}

bool Tables::ReadColumnNames(QHash<QString, QSet<QString>> &Columns)
{
    const SqlDialect dialect = Connection::CurrentDialect();
    QSqlQuery query = Connection::Current()->NewQuery();
    // The stored definitions, which SQLite keeps up to date as columns are added: a catalog of every
    // table's columns through pragma_table_info costs as much as probing them all.
    if (!ReadCatalog(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='table'"),
                     QStringLiteral("SELECT table_name, column_name FROM information_schema.columns "
                                    "WHERE table_schema=current_schema()"),
                     query)) {
        return false;
    }
    while (query.next()) {
        const QString table = query.value(0).toString().toCaseFolded();
        if (dialect == SqlDialect::PostgreSQL) {
            Columns[table].insert(query.value(1).toString().toCaseFolded());
            continue;
        }
        QSet<QString> names;
        // A definition not read with certainty leaves its table to be probed.
        if (DefinitionColumns(query.value(1).toString(), names)) {
            Columns.insert(table, names);
        }
    }
    return true;
}

bool Tables::DefinitionColumns(const QString &Definition, QSet<QString> &Names)
{
    const qsizetype open = Definition.indexOf(QLatin1Char('('));
    const qsizetype close = Definition.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open) {
        return false;
    }
    // The column list split at its top-level commas; quoted names may hold anything.
    QStringList parts;
    qsizetype start = open + 1;
    int depth = 0;
    QChar quote;
    for (qsizetype at = open + 1; at < close; ++at) {
        const QChar ch = Definition.at(at);
        if (!quote.isNull()) {
            if (ch == quote) {
                quote = QChar();
            }
        } else if (ch == QLatin1Char('"') || ch == QLatin1Char('\'') || ch == QLatin1Char('`')) {
            quote = ch;
        } else if (ch == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (ch == QLatin1Char('(')) {
            ++depth;
        } else if (ch == QLatin1Char(')')) {
            --depth;
        } else if (ch == QLatin1Char(',') && depth == 0) {
            parts << Definition.mid(start, at - start);
            start = at + 1;
        }
    }
    if (!quote.isNull() || depth != 0) {
        return false;
    }
    parts << Definition.mid(start, close - start);
    static const QStringList constraints = {QStringLiteral("CONSTRAINT"),
                                            QStringLiteral("PRIMARY"),
                                            QStringLiteral("UNIQUE"),
                                            QStringLiteral("CHECK"),
                                            QStringLiteral("FOREIGN")};
    for (const QString &part : std::as_const(parts)) {
        const QString text = part.trimmed();
        if (text.isEmpty()) {
            return false;
        }
        QString name;
        const QChar first = text.at(0);
        if (first == QLatin1Char('"') || first == QLatin1Char('`') || first == QLatin1Char('[')) {
            const QChar end = first == QLatin1Char('[') ? QLatin1Char(']') : first;
            const qsizetype endAt = text.indexOf(end, 1);
            if (endAt < 0) {
                return false;
            }
            name = text.mid(1, endAt - 1);
        } else {
            qsizetype at = 0;
            while (at < text.size() && (text.at(at).isLetterOrNumber() || text.at(at) == QLatin1Char('_'))) {
                ++at;
            }
            if (at == 0) {
                return false;
            }
            name = text.left(at);
            if (constraints.contains(name, Qt::CaseInsensitive)) {
                continue;
            }
        }
        Names.insert(name.toCaseFolded());
    }
    return true;
}

bool Tables::ReadCatalog(const QString &SQLite, const QString &PostgreSQL, QSqlQuery &Query)
{
    switch (Connection::CurrentDialect()) {
    case SqlDialect::SQLite:
        return Query.exec(SQLite);
    case SqlDialect::PostgreSQL:
        return Query.exec(PostgreSQL);
    default:
        return false;
    }
}

bool Tables::ReadIndexNames(QSet<QString> &Names)
{
    QSqlQuery query = Connection::Current()->NewQuery();
    if (!ReadCatalog(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"),
                     QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname=current_schema()"),
                     query)) {
        return false;
    }
    while (query.next()) {
        Names.insert(query.value(0).toString().toCaseFolded());
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
