#include "connection.h"
#include "entitylib.h"
#include "sqldialect.h"
#include "warninglog.h"

#include <QScopeGuard>
#include <QSqlRecord>

namespace Rollstrake
{
qint32 DBRecord::Code() const
{
    return m_code;
}

std::shared_ptr<Table> DBRecord::Table() const
{
    return m_table;
}

const std::shared_ptr<DBFields> &DBRecord::DBFields() const
{
    return m_fields;
}

bool DBRecord::CheckRecord(QString &ErrString)
{
    return CheckRequired(ErrString) && m_table->sysCheckUnique(*this, ErrString) && CheckForeignKeys(ErrString);
}

bool DBRecord::Update(QString &ErrString)
{
    if (m_table->ReadOnly()) {
        ErrString =
            QStringLiteral("Таблица '") + m_table->Caption() + QStringLiteral("' недоступна для редактирования!");
        ReloadAfterFailedSave(ErrString);
        return false;
    }
    if (!CheckRecord(ErrString)) {
        ReloadAfterFailedSave(ErrString);
        return false;
    }
    if (m_code != 0) {
        if (!sysDBUpdate(ErrString)) {
            ReloadAfterFailedSave(ErrString);
            return false;
        }
    } else if (!Insert(ErrString)) {
        return false;
    }
    m_table->MarkChanged();
    return true;
}

bool DBRecord::Reload(QString &ErrString)
{
    if (m_code == 0) {
        ErrString = QStringLiteral("Данная запись объекта '") + m_table->Caption()
                    + QStringLiteral("' ещё не сохранена в базу (DBRecord.Reload)!");
        return false;
    }
    const QString failure = QStringLiteral("Ошибка при чтении строк таблицы '") + m_table->mName()
                            + QStringLiteral("' (DBRecord.Reload): ");
    QString description;
    QSqlQuery *query = Connection::Current()->PreparedQuery(m_table->OpenRecordByCode(), description);
    if (query == nullptr) {
        ErrString = failure + description;
        return false;
    }
    // The kept statement gives up its result however the read ends.
    const auto finish = qScopeGuard([query] { query->finish(); });
    query->addBindValue(m_code);
    if (!query->exec()) {
        ErrString = failure + Connection::ErrorText(query->lastError());
        return false;
    }
    if (!query->next()) {
        ErrString = QStringLiteral("Запись с кодом ") + QString::number(m_code) + QStringLiteral(" в объекте '")
                    + m_table->Caption() + QStringLiteral("' не найдена (DBRecord.Reload)!");
        return false;
    }
    return sysLoadFromDB(*query, query->record(), ErrString);
}

bool DBRecord::IsInUse(const QString &TableName)
{
    bool ok = true;
    QString error;
    std::shared_ptr<DBField> found;
    const auto tables = m_table->Parent();
    if (!TableName.isEmpty()) {
        const auto table = tables ? tables->Item(TableName) : nullptr;
        if (!table) {
            return false;
        }
        found = table->GetReferencingRecords(m_table->mName(), m_code, false, ok, error);
    } else if (tables) {
        found = tables->GetReferencingRecords(m_table->mName(), m_code, false, ok, error);
    }
    // A search that could not finish cannot promise that nothing refers to the record.
    if (!ok) {
        LogWarning(QStringLiteral("Не удалось проверить, ссылаются ли другие записи на запись с кодом ")
                   + QString::number(m_code) + QStringLiteral(" в объекте '") + m_table->Caption()
                   + QStringLiteral("': ") + error);
    }
    return found != nullptr || !ok;
}

void DBRecord::SetCode(qint32 code)
{
    m_code = code;
    m_fields->SetRecordCode(code);
}

bool DBRecord::Init(const std::shared_ptr<Rollstrake::Table> &table)
{
    m_table = table;
    m_fields = std::make_shared<Rollstrake::DBFields>();
    return m_fields->Init(table->Fields(), false);
}

bool DBRecord::sysLoadFromDB(const QSqlQuery &query, const QSqlRecord &columns, QString &ErrString)
{
    std::vector<int> fieldColumns;
    fieldColumns.reserve(static_cast<size_t>(m_table->Fields()->Count()));
    for (const auto &field : *m_table->Fields()) {
        fieldColumns.push_back(field->IsStored() ? columns.indexOf(field->mName()) : -1);
    }
    return sysLoadFromDB(query, columns.indexOf(QStringLiteral("Code")), fieldColumns, ErrString);
}

bool DBRecord::sysLoadFromDB(const QSqlQuery &query,
                             int CodeColumn,
                             const std::vector<int> &FieldColumns,
                             QString &ErrString)
{
    if (CodeColumn < 0) {
        ErrString = QStringLiteral("Ошибка чтения значения поля 'Code' из таблицы '") + m_table->mName()
                    + QStringLiteral("' (функция DBRecord.sysLoadFromDB): нет такого столбца");
        return false;
    }
    SetCode(query.value(CodeColumn).toInt());
    return m_fields->LoadFromDB(query, FieldColumns, ErrString);
}

bool DBRecord::CheckRequired(QString &ErrString)
{
    for (const auto &value : *m_fields) {
        if (value->Field()->Required() && value->IsEmpty()) {
            ErrString = QStringLiteral("Поле '") + value->Field()->Caption() + QStringLiteral("' в объекте '")
                        + m_table->Caption() + QStringLiteral("' должно быть заполнено!");
            return false;
        }
    }
    return true;
}

bool DBRecord::CheckForeignKeys(QString &ErrString)
{
    for (const auto &value : *m_fields) {
        if (value->Field()->mClass()->Code() != fcForeignKey || value->IsEmpty()) {
            continue;
        }
        ErrString.clear();
        value->GetForeignKeyDBField(ErrString);
        if (!ErrString.isEmpty()) {
            return false;
        }
    }
    return true;
}

QString DBRecord::GetUpdateSQL() const
{
    const SqlDialect dialect = Connection::CurrentDialect();
    QStringList pairs;
    for (const auto &value : *m_fields) {
        if (value->Field()->IsStored()) {
            pairs << Dialect::Name(dialect, value->Field()->mName()) + QLatin1Char('=') + value->GetSQLValue();
        }
    }
    return QStringLiteral("UPDATE ") + Dialect::Name(dialect, m_table->mName()) + QStringLiteral(" SET ")
           + pairs.join(QLatin1Char(',')) + QStringLiteral(" WHERE Code=") + QString::number(m_code);
}

bool DBRecord::sysDBUpdate(QString &ErrString)
{
    QString description;
    if (!ExecuteUpdate(description)) {
        ErrString = QStringLiteral("Ошибка при обновлении строки в таблице базы данных '") + m_table->Caption()
                    + QStringLiteral("' (DBRecord.sysDBUpdate): ") + description;
        return false;
    }
    m_table->ForgetCachedRecord(m_code);
    return true;
}

bool DBRecord::ExecuteUpdate(QString &description)
{
    Connection *connection = Connection::Current();
    const SqlDialect dialect = connection->Dialect();
    if (!Dialect::BindsValues(dialect)) {
        return connection->Execute(GetUpdateSQL(), description);
    }
    // The same statement with its values bound: one text per table, prepared once.
    QVariantList values;
    values.reserve(m_fields->Count() + 1);
    for (const auto &value : *m_fields) {
        const auto &field = value->Field();
        if (field->IsStored()) {
            const int type = field->mType()->Code();
            values << Dialect::LiteralValue(dialect, type, field->mType()->ConvertValue(value->StoredValue()));
        }
    }
    values << m_code;
    const QString &sql = m_table->UpdateStatement(dialect);
    QSqlQuery *query = connection->PreparedQuery(sql, description);
    if (query == nullptr) {
        return false;
    }
    for (const QVariant &bound : std::as_const(values)) {
        query->addBindValue(bound);
    }
    const bool ok = query->exec();
    if (!ok) {
        description = Connection::ErrorText(query->lastError());
    }
    query->finish();
    return ok;
}

bool DBRecord::Insert(QString &ErrString)
{
    Connection *connection = Connection::Current();
    const SqlDialect dialect = connection->Dialect();
    // The engines here hand back the key the row got; the classic kinds report the last insert.
    const bool returning = dialect == SqlDialect::PostgreSQL || dialect == SqlDialect::SQLite;
    QString description;
    QSqlQuery *query = connection->PreparedQuery(m_table->InsertStatement(dialect), description);
    bool ok = query != nullptr;
    if (ok) {
        for (const auto &value : *m_fields) {
            const auto &field = value->Field();
            if (field->IsStored()) {
                query->addBindValue(Dialect::BindValue(dialect, field->mType()->Code(), value->StoredValue()));
            }
        }
        ok = query->exec();
    }
    qint32 newCode = 0;
    if (ok) {
        newCode = returning ? (query->next() ? query->value(0).toInt() : 0) : query->lastInsertId().toInt();
        ok = newCode > 0;
    }
    if (query != nullptr) {
        if (!ok) {
            description = query->lastError().isValid() ? Connection::ErrorText(query->lastError())
                                                       : QStringLiteral("ключ новой записи не получен");
        }
        // The statement is kept for the next insert; its result is not.
        query->finish();
    }
    if (!ok) {
        ErrString = QStringLiteral("Ошибка добавления записи в таблицу '") + m_table->mName() + QStringLiteral("': ")
                    + description;
        return false;
    }
    SetCode(newCode);
    return true;
}

bool DBRecord::SavePreset(QString &ErrString)
{
    // The schema's CODE only tells preset rows apart: the row is checked and written as new.
    SetCode(0);
    if (!CheckRecord(ErrString)) {
        ErrString.clear();
        return true;
    }
    bool stored = false;
    if (!PresetAlreadyStored(stored, ErrString)) {
        return false;
    }
    if (stored) {
        return true;
    }
    return Insert(ErrString);
}

void DBRecord::AddPresetField(const QString &name)
{
    if (!m_presetFields.contains(name, Qt::CaseInsensitive)) {
        m_presetFields << name;
    }
}

void DBRecord::ReloadAfterFailedSave(QString &ErrString)
{
    if (m_code == 0) {
        return;
    }
    QString reloadError;
    if (!Reload(reloadError)) {
        ErrString += QStringLiteral("\r\n") + reloadError;
    }
}

bool DBRecord::PresetAlreadyStored(bool &stored, QString &ErrString)
{
    // Without a unique field nothing else keeps a preset row from being written at every start.
    for (const auto &field : *m_table->Fields()) {
        if (field->UniqueKey()) {
            stored = false;
            return true;
        }
    }
    auto filter = m_table->GetNewFilter();
    for (const QString &name : std::as_const(m_presetFields)) {
        const auto slot = filter->Item(name);
        const auto value = m_fields->Item(name);
        if (slot && value && slot->Field()->IsStored()) {
            slot->SetValue(value->StoredValue());
            slot->SetIncludeEmpty(true);
        }
    }
    const auto records = m_table->GetDBRecords(filter, ErrString);
    if (!records) {
        return false;
    }
    stored = records->Count() > 0;
    return true;
}
} // namespace Rollstrake
