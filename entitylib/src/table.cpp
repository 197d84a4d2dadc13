#include "clock.h"
#include "connection.h"
#include "currency.h"
#include "datevalue.h"
#include "entitylib.h"
#include "sqldialect.h"
#include "warninglog.h"

#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace Rollstrake
{
Table::Table()
    : m_fields(std::make_shared<Rollstrake::Fields>())
    , m_lastChangeDate(DateValue::Zero())
{
}

std::shared_ptr<Table> Table::Create()
{
    // The constructor is private, out of make_shared's reach.
    std::shared_ptr<Table> table(new Table());
    table->m_fields->SetTable(table);
    return table;
}

std::shared_ptr<DBFilterFields> Table::GetNewFilter()
{
    auto filter = std::make_shared<DBFilterFields>();
    filter->Add(shared_from_this());
    return filter;
}

bool Table::ReadOnly() const
{
    return m_readOnly;
}

const QString &Table::Caption() const
{
    return m_caption;
}

bool Table::CombineUnique() const
{
    return m_combineUnique;
}

const QString &Table::mName() const
{
    return m_name;
}

const std::shared_ptr<Fields> &Table::Fields() const
{
    return m_fields;
}

std::shared_ptr<DBRecord> Table::GetDBRecordByCode(qint32 Code, QString &ErrString)
{
    // Codes start at 1: nothing to read for any other.
    if (Code <= 0) {
        return nullptr;
    }
    if (m_cached) {
        if (!m_cachedRecords) {
            m_cachedRecords = std::make_shared<DBRecords>();
            m_cachedRecords->Init(shared_from_this(), nullptr);
        }
        if (auto record = m_cachedRecords->Item(Code)) {
            return record;
        }
    }
    auto filter = GetNewFilter();
    filter->SetCode(Code);
    const auto records = GetDBRecords(filter, ErrString);
    if (!records || records->Count() == 0) {
        return nullptr;
    }
    auto record = records->GetByIndex(1);
    if (m_cached && !m_cachedRecords->sysAdd(record, ErrString)) {
        ErrString = QStringLiteral("Ошибка сохранения записи таблицы '") + m_name
                    + QStringLiteral("' в кэше (Table.GetDBRecordByCode): ") + ErrString;
        return nullptr;
    }
    return record;
}

std::shared_ptr<DBRecords> Table::GetDBRecords(const std::shared_ptr<DBFilterFields> &DBFilter, QString &ErrString)
{
    auto records = std::make_shared<DBRecords>();
    records->Init(shared_from_this(), DBFilter);
    if (!records->Reload(ErrString)) {
        return nullptr;
    }
    return records;
}

std::shared_ptr<DBRecord>
Table::GetRecordByFieldValue(const QString &FieldName, const QVariant &FieldValue, QString &ErrString)
{
    const auto records = GetRecordsByFieldValue(FieldName, FieldValue, ErrString);
    return records ? records->GetByIndex(1) : nullptr;
}

std::shared_ptr<DBRecords>
Table::GetRecordsByFieldValue(const QString &FieldName, const QVariant &FieldValue, QString &ErrString)
{
    if (!m_fields->Item(FieldName)) {
        ErrString = QStringLiteral("Предпринята попытка доступа к несуществующему полю '") + FieldName
                    + QStringLiteral("' таблицы '") + m_name + QLatin1Char('\'');
        return nullptr;
    }
    auto filter = GetNewFilter();
    const auto slot = filter->Item(FieldName);
    slot->SetValue(FieldValue);
    slot->SetIncludeEmpty(true);
    return GetDBRecords(filter, ErrString);
}

QVariant Table::GetSum(const QString &FieldName, const std::shared_ptr<DBFilterFields> &DBFilter, QString &ErrString)
{
    const auto field = m_fields->Item(FieldName);
    if (!field || !field->IsStored()) {
        ErrString = QStringLiteral("Предпринята попытка доступа к несуществующему полю '") + FieldName
                    + QStringLiteral("' таблицы '") + m_name + QLatin1Char('\'');
        return {};
    }
    Connection *connection = Connection::Current();
    const SqlDialect dialect = connection->Dialect();
    const FieldType &type = *field->mType();
    // Money is summed in whole ten-thousandths where the engine would add binary fractions.
    const bool units = type.Code() == ftDOUBLE && dialect != SqlDialect::PostgreSQL;
    const QString column = Dialect::Name(dialect, field->mName());
    QVariantList values;
    const QString sql = QStringLiteral("SELECT SUM(")
                        + (units ? QStringLiteral("ROUND(") + column + QStringLiteral("*")
                                       + QString::number(Currency::Scale) + QLatin1Char(')')
                                 : column)
                        + QStringLiteral(") FROM ") + Dialect::Name(dialect, m_name)
                        + (DBFilter ? DBFilter->GetWhereClause(dialect, values) : QString());
    const QString failure = QStringLiteral("Ошибка суммирования поля '") + field->mName()
                            + QStringLiteral("' таблицы '") + m_name + QStringLiteral("': ");
    QString description;
    QSqlQuery *query = connection->PreparedQuery(sql, description);
    if (query == nullptr) {
        ErrString = failure + description;
        return {};
    }
    const auto finish = qScopeGuard([query] { query->finish(); });
    for (const QVariant &value : std::as_const(values)) {
        query->addBindValue(value);
    }
    if (!query->exec() || !query->next()) {
        ErrString = failure + Connection::ErrorText(query->lastError());
        return {};
    }
    const QVariant sum = query->value(0);
    if (units) {
        return QVariant::fromValue(Currency::FromUnits(static_cast<qint64>(std::llround(sum.toDouble()))));
    }
    return type.ConvertValue(sum.isNull() ? QVariant(0) : sum);
}

std::shared_ptr<DBRecord> Table::GetNewRecord()
{
    auto record = std::make_shared<DBRecord>();
    if (!record->Init(shared_from_this())) {
        return nullptr;
    }
    return record;
}

bool Table::Remove(qint32 Code, bool DeleteCascade, QString &ErrString)
{
    if (m_readOnly) {
        ErrString = QStringLiteral("Таблица '") + m_caption + QStringLiteral("' недоступна для редактирования!");
        return false;
    }
    if (Code <= 0) {
        // Code 0 would make the reference search match every empty foreign key.
        ErrString = QStringLiteral("Запись с кодом ") + QString::number(Code) + QStringLiteral(" в объекте '")
                    + m_caption + QStringLiteral("' не может быть удалена!");
        return false;
    }
    Transaction transaction;
    QString description;
    if (!transaction.Begin(description)) {
        ErrString =
            QStringLiteral("Ошибка удаления записи из таблицы '") + m_name + QStringLiteral("': ") + description;
        return false;
    }
    if (!RemoveRecord(Code, DeleteCascade, ErrString)) {
        return false;
    }
    if (!transaction.Commit(description)) {
        ErrString =
            QStringLiteral("Ошибка удаления записи из таблицы '") + m_name + QStringLiteral("': ") + description;
        return false;
    }
    return true;
}

bool Table::RemoveRecord(qint32 Code, bool DeleteCascade, QString &ErrString)
{
    // A record already on its way out (a cycle of references) is deleted by the outer call.
    if (m_removing.contains(Code)) {
        return true;
    }
    m_removing.insert(Code);
    const auto guard = qScopeGuard([this, Code] { m_removing.remove(Code); });
    bool ok = true;
    const auto tables = Parent();
    const auto referencing =
        tables ? tables->GetReferencingRecords(m_name, Code, DeleteCascade, ok, ErrString) : nullptr;
    if (!ok) {
        return false;
    }
    if (referencing) {
        const auto &field = referencing->Field();
        ErrString = QStringLiteral("В объекте '") + field->Table()->Caption() + QStringLiteral("' есть запись, поле '")
                    + field->Caption() + QStringLiteral("' которой ссылается на удаляемую запись в объекте '")
                    + m_caption + QStringLiteral("'! Удаление невозможно!");
        return false;
    }
    QString description;
    if (!Connection::Current()->Execute(GetDeleteSQL(Code), description)) {
        Root::ReportDeleteError(QStringLiteral("Ошибка удаления записи из таблицы '") + m_name + QStringLiteral("': ")
                                + description);
        return false;
    }
    ForgetCachedRecord(Code);
    MarkChanged();
    return true;
}

QDateTime Table::LastChangeDate() const
{
    return m_lastChangeDate;
}

bool Table::Cached() const
{
    return m_cached;
}

void Table::SetReadOnly(bool value)
{
    m_readOnly = value;
}

void Table::SetCaption(const QString &value)
{
    m_caption = value;
}

void Table::SetCombineUnique(bool value)
{
    m_combineUnique = value;
}

void Table::SetmName(const QString &value)
{
    m_name = value;
}

void Table::SetCached(bool value)
{
    m_cached = value;
}

void Table::SetParent(const std::weak_ptr<Tables> &parent)
{
    m_parent = parent;
}

std::shared_ptr<Tables> Table::Parent() const
{
    return m_parent.lock();
}

void Table::MarkChanged()
{
    m_lastChangeDate = Clock::Now();
    ++m_changeCount;
}

quint64 Table::ChangeCount() const
{
    return m_changeCount;
}

std::shared_ptr<DBRecords> Table::PresetRecords()
{
    if (!m_presetRecords) {
        m_presetRecords = std::make_shared<DBRecords>();
        m_presetRecords->Init(shared_from_this(), nullptr);
    }
    return m_presetRecords;
}

bool Table::CheckDBStructure(QString &ErrString)
{
    return CheckDBStructure(nullptr, nullptr, ErrString);
}

bool Table::CheckDBStructure(const QSet<QString> *ExistingIndexes,
                             const QSet<QString> *KnownColumns,
                             QString &ErrString)
{
    QString probeError;
    QSet<QString> columns = KnownColumns != nullptr ? *KnownColumns : QSet<QString>();
    if (KnownColumns == nullptr && !ReadColumns(columns, probeError)) {
        if (!CreateTable(ErrString)) {
            ErrString += QStringLiteral("\r\n(чтение таблицы: ") + probeError + QLatin1Char(')');
            return false;
        }
    } else {
        // One probe of the table names its columns; only a column it lacks is looked at alone.
        for (const auto &field : *m_fields) {
            if (field->IsStored() && !columns.contains(field->mName().toCaseFolded())
                && !field->AddToDBTable(ErrString)) {
                return false;
            }
        }
    }
    ForgetColumnLayout();
    IndexForeignKeys(ExistingIndexes);
    return true;
}

bool Table::ReadColumns(QSet<QString> &Columns, QString &ProbeError)
{
    // A probe that returns no rows: start-up time does not grow with the data.
    Connection *connection = Connection::Current();
    QSqlQuery query = connection->NewQuery();
    if (!query.exec(QStringLiteral("SELECT * FROM ") + Dialect::Name(connection->Dialect(), m_name)
                    + QStringLiteral(" WHERE 1=0"))) {
        ProbeError = Connection::ErrorText(query.lastError());
        return false;
    }
    const QSqlRecord record = query.record();
    for (int column = 0; column < record.count(); ++column) {
        Columns.insert(record.fieldName(column).toCaseFolded());
    }
    return true;
}

void Table::IndexForeignKeys(const QSet<QString> *ExistingIndexes)
{
    Connection *connection = Connection::Current();
    for (const auto &field : *m_fields) {
        if (field->mClass()->Code() != fcForeignKey || !field->IsStored()) {
            continue;
        }
        const QString index = QStringLiteral("IX_") + m_name + QLatin1Char('_') + field->mName();
        if (ExistingIndexes != nullptr && ExistingIndexes->contains(index.toCaseFolded())) {
            continue;
        }
        const QString statement = Dialect::CreateIndex(connection->Dialect(), m_name, {field->mName()});
        // An index only speeds up reads: a database that refuses it (a user who does not own the
        // table) still works, so the start goes on and the refusal goes to the warning log.
        QString description;
        if (!statement.isEmpty() && !connection->Execute(statement, description)) {
            LogWarning(QStringLiteral("Индекс по полю '") + field->mName() + QStringLiteral("' таблицы '") + m_name
                       + QStringLiteral("' не создан: ") + description);
        }
    }
}

bool Table::EnsureIndex(const QStringList &FieldNames, QString &ErrString)
{
    if (FieldNames.isEmpty()) {
        ErrString = QStringLiteral("Не заданы поля индекса таблицы '") + m_name + QStringLiteral("'!");
        return false;
    }
    QStringList columns;
    for (const QString &name : FieldNames) {
        const auto field = m_fields->Item(name);
        if (!field || !field->IsStored()) {
            ErrString = QStringLiteral("Поле '") + name + QStringLiteral("' в таблице '") + m_name
                        + QStringLiteral("' не найдено (Table.EnsureIndex)!");
            return false;
        }
        columns << field->mName();
    }
    Connection *connection = Connection::Current();
    const QString statement = Dialect::CreateIndex(connection->Dialect(), m_name, columns);
    const QString index = QStringLiteral("IX_") + m_name + QLatin1Char('_') + columns.join(QLatin1Char('_'));
    if (statement.isEmpty()) {
        ErrString = QStringLiteral("Индекс '") + index + QStringLiteral("' не создаётся в базе данных этого типа!");
        return false;
    }
    QString description;
    if (!connection->Execute(statement, description)) {
        ErrString = QStringLiteral("Ошибка создания индекса '") + index + QStringLiteral("': ") + description;
        return false;
    }
    return true;
}

bool Table::TableExists(QString &ProbeError)
{
    // A probe that returns no rows: start-up time does not grow with the data.
    Connection *connection = Connection::Current();
    return connection->Execute(QStringLiteral("SELECT * FROM ") + Dialect::Name(connection->Dialect(), m_name)
                                   + QStringLiteral(" WHERE 1=0"),
                               ProbeError);
}

bool Table::CreateTable(QString &ErrString)
{
    Connection *connection = Connection::Current();
    const SqlDialect dialect = connection->Dialect();
    QString description;
    if (!connection->Execute(Dialect::CreateTable(dialect, m_name, m_fields->GetColumnsDDL(dialect)), description)) {
        ErrString = QStringLiteral("Ошибка создания таблицы '") + m_name + QStringLiteral("': ") + description;
        return false;
    }
    return true;
}

bool Table::SavePresetValues(QString &ErrString)
{
    if (m_presetRecords) {
        for (const auto &record : *m_presetRecords) {
            if (!record->SavePreset(ErrString)) {
                return false;
            }
        }
    }
    m_presetRecords.reset();
    return true;
}

QString Table::OpenRecordset(const std::shared_ptr<DBFilterFields> &filter) const
{
    const SqlDialect dialect = Connection::CurrentDialect();
    QString order = m_fields->GetOrderBy(dialect);
    if (dialect == SqlDialect::SQLite || dialect == SqlDialect::PostgreSQL) {
        // Ties and unsorted tables come in creation order, the same on every engine.
        order = order.isEmpty() ? QStringLiteral(" ORDER BY Code") : order + QStringLiteral(", Code");
    }
    return QStringLiteral("SELECT * FROM ") + Dialect::Name(dialect, m_name)
           + (filter ? filter->GetWhereClause(dialect) : QString()) + order;
}

QString Table::OpenRecordset(const std::shared_ptr<DBFilterFields> &filter, QVariantList &Values) const
{
    const SqlDialect dialect = Connection::CurrentDialect();
    // A filter of a shape read before only gives its values.
    const QByteArray shape = filter ? filter->ClauseShape(dialect) : QByteArrayLiteral("*");
    if (!shape.isEmpty()) {
        const auto written = m_selects.constFind(shape + char(dialect));
        if (written != m_selects.cend()) {
            if (filter) {
                filter->AppendValues(dialect, Values);
            }
            return written.value();
        }
    }
    QString order = m_fields->GetOrderBy(dialect);
    if (dialect == SqlDialect::SQLite || dialect == SqlDialect::PostgreSQL) {
        order = order.isEmpty() ? QStringLiteral(" ORDER BY Code") : order + QStringLiteral(", Code");
    }
    const QString select = QStringLiteral("SELECT * FROM ") + Dialect::Name(dialect, m_name)
                           + (filter ? filter->GetWhereClause(dialect, Values) : QString()) + order;
    if (!shape.isEmpty()) {
        m_selects.insert(shape + char(dialect), select);
    }
    return select;
}

QString Table::ReadStatement(const std::shared_ptr<DBFilterFields> &filter, QVariantList &Values) const
{
    if (filter && filter->Code() != DBFilterFields::NoKeyFilter) {
        Values << filter->Code();
        return OpenRecordByCode();
    }
    return OpenRecordset(filter, Values);
}

void Table::ColumnLayout(const QSqlQuery &query, int &CodeColumn, const std::vector<int> *&FieldColumns)
{
    // The record of a query is shared, not copied: its width tells a table changed from outside.
    const QSqlRecord columns = query.record();
    if (m_fieldColumns.size() != static_cast<size_t>(m_fields->Count()) || m_columnCount != columns.count()) {
        m_columnCount = columns.count();
        m_fieldColumns.clear();
        for (const auto &field : *m_fields) {
            m_fieldColumns.push_back(field->IsStored() ? columns.indexOf(field->mName()) : -1);
        }
        m_codeColumn = columns.indexOf(QStringLiteral("Code"));
    }
    CodeColumn = m_codeColumn;
    FieldColumns = &m_fieldColumns;
}

void Table::ForgetColumnLayout()
{
    m_fieldColumns.clear();
}

const QString &Table::InsertStatement(SqlDialect dialect) const
{
    auto written = m_writes.find(WriteKey(dialect, true));
    if (written == m_writes.end()) {
        QStringList names;
        QStringList placeholders;
        for (const auto &field : *m_fields) {
            if (field->IsStored()) {
                names << Dialect::Name(dialect, field->mName());
                placeholders << Dialect::Placeholder(dialect, field->mType()->Code());
            }
        }
        QString sql =
            QStringLiteral("INSERT INTO ") + Dialect::Name(dialect, m_name)
            + (names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                               : QStringLiteral(" (") + names.join(QLatin1Char(',')) + QStringLiteral(") VALUES (")
                                     + placeholders.join(QLatin1Char(',')) + QLatin1Char(')'));
        if (dialect == SqlDialect::PostgreSQL || dialect == SqlDialect::SQLite) {
            sql += QStringLiteral(" RETURNING Code");
        }
        written = m_writes.insert(WriteKey(dialect, true), sql);
    }
    return written.value();
}

const QString &Table::UpdateStatement(SqlDialect dialect) const
{
    auto written = m_writes.find(WriteKey(dialect, false));
    if (written == m_writes.end()) {
        QStringList pairs;
        for (const auto &field : *m_fields) {
            if (field->IsStored()) {
                pairs << Dialect::Name(dialect, field->mName()) + QLatin1Char('=')
                             + Dialect::Placeholder(dialect, field->mType()->Code());
            }
        }
        written = m_writes.insert(WriteKey(dialect, false),
                                  QStringLiteral("UPDATE ") + Dialect::Name(dialect, m_name) + QStringLiteral(" SET ")
                                      + pairs.join(QLatin1Char(',')) + QStringLiteral(" WHERE Code=?"));
    }
    return written.value();
}

int Table::WriteKey(SqlDialect dialect, bool insert)
{
    return int(dialect) * 2 + (insert ? 1 : 0);
}

QString Table::OpenRecordByCode() const
{
    return QStringLiteral("SELECT * FROM ") + Dialect::Name(Connection::CurrentDialect(), m_name)
           + QStringLiteral(" WHERE Code=?");
}

QString Table::GetDeleteSQL(qint32 code) const
{
    return QStringLiteral("DELETE FROM ") + Dialect::Name(Connection::CurrentDialect(), m_name)
           + QStringLiteral(" WHERE Code=") + QString::number(code);
}

bool Table::sysCheckUnique(const DBRecord &record, QString &ErrString)
{
    if (record.Table().get() != this) {
        ErrString =
            QStringLiteral("Таблица поля, переданного функции 'Table.sysCheckUnique' не соответствует данной таблице!");
        return false;
    }
    std::vector<std::shared_ptr<DBField>> taking;
    for (const auto &value : *record.DBFields()) {
        if (value->Field()->UniqueKey() && !value->IsEmpty()) {
            taking.push_back(value);
        }
    }
    const auto conflicts = [&record](const DBRecords &found) {
        return found.Count() > 0
               && (found.GetByIndex(1)->Code() != record.Code() || found.Count() > 1 || record.Code() == 0);
    };
    const auto readThrough = [this, &ErrString](const std::shared_ptr<DBFilterFields> &filter) {
        QString error;
        auto found = GetDBRecords(filter, error);
        if (!found) {
            ErrString = QStringLiteral("(Table.sysCheckUnique) ") + error;
        }
        return found;
    };
    if (m_combineUnique) {
        // With every unique field empty there is nothing to compare.
        if (taking.empty()) {
            return true;
        }
        auto filter = GetNewFilter();
        QStringList captions;
        for (const auto &value : taking) {
            filter->Item(value->Field()->mName())->SetValue(value->StoredValue());
            captions << value->Field()->Caption();
        }
        const auto found = readThrough(filter);
        if (!found) {
            return false;
        }
        if (conflicts(*found)) {
            ErrString = QStringLiteral("Запись с такими значениями полей '") + captions.join(QStringLiteral(", "))
                        + QStringLiteral("' уже присутствует в объекте '") + m_caption + QStringLiteral("'!");
            return false;
        }
        return true;
    }
    for (const auto &value : taking) {
        auto filter = GetNewFilter();
        filter->Item(value->Field()->mName())->SetValue(value->StoredValue());
        const auto found = readThrough(filter);
        if (!found) {
            return false;
        }
        if (conflicts(*found)) {
            ErrString = QStringLiteral("Запись с таким значением поля '") + value->Field()->Caption()
                        + QStringLiteral("' уже присутствует в объекте '") + m_caption + QStringLiteral("'!");
            return false;
        }
    }
    return true;
}

void Table::ForgetCachedRecord(qint32 code)
{
    if (m_cached && m_cachedRecords) {
        m_cachedRecords->RemoveByCode(code);
    }
}

void Table::ForgetCache()
{
    // After a rollback the table holds what it held before: whatever was read since may differ.
    ++m_changeCount;
    if (m_cachedRecords) {
        m_cachedRecords->Clear();
    }
}

void Table::ReleaseRecords()
{
    m_presetRecords.reset();
    m_cachedRecords.reset();
}

std::shared_ptr<DBField>
Table::GetReferencingRecords(const QString &tableName, qint32 code, bool cascade, bool &ok, QString &ErrString)
{
    for (const auto &field : *m_fields) {
        // Table names compare without regard to letter case, as every other table lookup does.
        if (field->mClass()->Code() != fcForeignKey
            || field->TableForLookup().compare(tableName, Qt::CaseInsensitive) != 0) {
            continue;
        }
        auto filter = GetNewFilter();
        filter->Item(field->mName())->SetValue(code);
        const auto records = GetDBRecords(filter, ErrString);
        if (!records) {
            ok = false;
            return nullptr;
        }
        for (const auto &record : *records) {
            if (!cascade) {
                return record->DBFields()->Item(field->mName());
            }
            if (!Remove(record->Code(), true, ErrString)) {
                ok = false;
                return nullptr;
            }
        }
    }
    return nullptr;
}
} // namespace Rollstrake
