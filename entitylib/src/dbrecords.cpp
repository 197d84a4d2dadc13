#include "clock.h"
#include "connection.h"
#include "currency.h"
#include "datevalue.h"
#include "entitylib.h"
#include "texthelpers.h"

#include <QScopeGuard>
#include <QSqlRecord>

namespace Rollstrake
{
namespace
{
QVariant Sum(const FieldType &type, const QVariant &a, const QVariant &b)
{
    if (type.Code() == ftDOUBLE) {
        return QVariant::fromValue(type.ConvertValue(a).value<Currency>() + type.ConvertValue(b).value<Currency>());
    }
    return type.ConvertValue(a).toDouble() + type.ConvertValue(b).toDouble();
}
} // namespace

const std::shared_ptr<DBFilterFields> &DBRecords::DBFilterFields() const
{
    return m_filter;
}

const std::shared_ptr<DBFields> &DBRecords::Totals() const
{
    // Summed when first asked for: most sets are read for their records alone.
    if (!m_totals) {
        auto self = const_cast<DBRecords *>(this);
        self->InitTotals();
        for (const auto &record : m_records) {
            self->AddToTotals(*record);
        }
    }
    return m_totals;
}

std::shared_ptr<DBRecord> DBRecords::Item(qint32 Code) const
{
    return m_byCode.value(Code);
}

std::shared_ptr<DBRecord> DBRecords::GetByIndex(qint32 Index) const
{
    if (Index < 1 || Index > Count()) {
        return nullptr;
    }
    return m_records[static_cast<size_t>(Index - 1)];
}

qint32 DBRecords::Count() const
{
    return static_cast<qint32>(m_records.size());
}

DBRecords::Iterator DBRecords::begin() const
{
    return m_records.begin();
}

DBRecords::Iterator DBRecords::end() const
{
    return m_records.end();
}

const std::shared_ptr<Table> &DBRecords::Table() const
{
    return m_table;
}

bool DBRecords::Reload(QString &ErrString)
{
    if (!m_table) {
        ErrString = QStringLiteral(
            "Предпринята попытка прочитать строки таблицы из базы данных, не установив структуру таблицы!");
        return false;
    }
    Clear();
    // Taken before the read: a change that lands during the read leaves the set expired.
    const quint64 changeCount = m_table->ChangeCount();
    const auto failure = [this]() -> QString {
        return QStringLiteral("Ошибка при чтении строк таблицы '") + m_table->mName()
               + QStringLiteral("' (DBRecords.sysReload): ");
    };
    QString description;
    QSqlQuery *query = RunRead(description);
    if (query == nullptr) {
        ErrString = failure() + description;
        return false;
    }
    // A kept statement gives up its result however the read ends.
    const auto finish = qScopeGuard([query] { query->finish(); });
    // Every row has the table's columns: each field's is found once.
    int codeColumn = -1;
    const std::vector<int> *fieldColumns = nullptr;
    m_table->ColumnLayout(*query, codeColumn, fieldColumns);
    while (query->next()) {
        auto record = m_table->GetNewRecord();
        if (!record->sysLoadFromDB(*query, codeColumn, *fieldColumns, ErrString) || !sysAdd(record, ErrString)) {
            return false;
        }
    }
    if (query->lastError().isValid()) {
        ErrString = failure() + Connection::ErrorText(query->lastError());
        return false;
    }
    m_loadTime = Clock::Now();
    m_loadedChangeCount = changeCount;
    return true;
}

QSqlQuery *DBRecords::RunRead(QString &description)
{
    // Reads by key are the most frequent; every read's statement is prepared once per text and
    // kept, its values bound.
    QVariantList values;
    const QString sql = m_table->ReadStatement(m_filter, values);
    QSqlQuery *query = Connection::Current()->PreparedQuery(sql, description);
    if (query == nullptr) {
        return nullptr;
    }
    for (const QVariant &value : std::as_const(values)) {
        query->addBindValue(value);
    }
    if (!query->exec()) {
        description = Connection::ErrorText(query->lastError());
        query->finish();
        return nullptr;
    }
    return query;
}

bool DBRecords::IsExpired() const
{
    return m_table && m_table->ChangeCount() > m_loadedChangeCount;
}

void DBRecords::Init(const std::shared_ptr<Rollstrake::Table> &table,
                     const std::shared_ptr<Rollstrake::DBFilterFields> &filter)
{
    m_table = table;
    m_filter = filter;
    m_loadTime = DateValue::Zero();
    Clear();
}

void DBRecords::Clear()
{
    m_records.clear();
    m_byCode.clear();
    m_totals.reset();
}

void DBRecords::InitTotals()
{
    m_totals = std::make_shared<DBFields>();
    if (m_table) {
        m_totals->Init(m_table->Fields(), true);
    }
}

bool DBRecords::sysAdd(const std::shared_ptr<DBRecord> &record, QString &ErrString)
{
    if (record->Code() == 0) {
        ErrString = QStringLiteral("(DBRecords.sysAdd) Строка с нулевым кодом!");
        return false;
    }
    if (m_byCode.contains(record->Code())) {
        ErrString = QStringLiteral("(DBRecords.sysAdd) ") + DuplicateKeyText();
        return false;
    }
    m_records.push_back(record);
    m_byCode.insert(record->Code(), record);
    if (m_totals) {
        AddToTotals(*record);
    }
    return true;
}

void DBRecords::AddToTotals(const DBRecord &record)
{
    for (const auto &total : *m_totals) {
        const auto value = record.DBFields()->Item(total->Field()->mName());
        if (value) {
            total->SetValue(Sum(*total->Field()->mType(), total->StoredValue(), value->StoredValue()));
        }
    }
}

void DBRecords::RemoveByCode(qint32 Code)
{
    if (!m_byCode.remove(Code)) {
        return;
    }
    std::erase_if(m_records, [Code](const std::shared_ptr<DBRecord> &record) { return record->Code() == Code; });
    m_totals.reset();
}

QDateTime DBRecords::LoadTime() const
{
    return m_loadTime.isValid() ? m_loadTime : DateValue::Zero();
}
} // namespace Rollstrake
