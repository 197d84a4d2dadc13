#include "connection.h"
#include "entitylib.h"

namespace Rollstrake
{
RecordReader::RecordReader(const std::shared_ptr<Rollstrake::Table> &Source,
                           const std::shared_ptr<Rollstrake::DBFilterFields> &Filter)
    : m_table(Source)
    , m_filter(Filter)
{
}

RecordReader::~RecordReader() = default;

bool RecordReader::Open(QString &ErrString)
{
    Connection *connection = Connection::Current();
    if (connection == nullptr) {
        ErrString = FailureText() + QStringLiteral("нет соединения с базой данных");
        return false;
    }
    QString lost;
    if (!connection->Ready(lost)) {
        ErrString = FailureText() + lost;
        return false;
    }
    QVariantList values;
    const QString sql = m_table->ReadStatement(m_filter, values);
    // A statement of its own, not a kept one: the reads of referenced records that run while the
    // rows are taken would otherwise reuse or drop it.
    m_query = std::make_unique<QSqlQuery>(connection->NewQuery());
    if (!m_query->prepare(sql)) {
        ErrString = FailureText() + Connection::ErrorText(m_query->lastError());
        return false;
    }
    for (const QVariant &value : std::as_const(values)) {
        m_query->addBindValue(value);
    }
    if (!m_query->exec()) {
        ErrString = FailureText() + Connection::ErrorText(m_query->lastError());
        return false;
    }
    const std::vector<int> *columns = nullptr;
    m_table->ColumnLayout(*m_query, m_codeColumn, columns);
    m_columns = *columns;
    m_fields.assign(m_table->Fields()->begin(), m_table->Fields()->end());
    if (m_codeColumn < 0) {
        ErrString = FailureText() + QStringLiteral("нет столбца 'Code'");
        return false;
    }
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i]->IsStored() && (i >= m_columns.size() || m_columns[i] < 0)) {
            ErrString = FailureText() + QStringLiteral("нет столбца '") + m_fields[i]->mName() + QLatin1Char('\'');
            return false;
        }
    }
    return true;
}

bool RecordReader::Next(QString &ErrString)
{
    if (!m_query) {
        return false;
    }
    if (m_query->next()) {
        return true;
    }
    if (m_query->lastError().isValid()) {
        ErrString = FailureText() + Connection::ErrorText(m_query->lastError());
    }
    m_query->finish();
    return false;
}

qint32 RecordReader::Code() const
{
    return m_query->value(m_codeColumn).toInt();
}

QVariant RecordReader::Value(qint32 Position) const
{
    const auto index = static_cast<size_t>(Position - 1);
    if (Position < 1 || index >= m_fields.size() || !m_fields[index]->IsStored()) {
        return {};
    }
    return m_fields[index]->CheckValue(m_query->value(m_columns[index]));
}

std::shared_ptr<DBField> RecordReader::MakeDBField(qint32 Position, QString &ErrString) const
{
    const auto index = static_cast<size_t>(Position - 1);
    if (Position < 1 || index >= m_fields.size()) {
        return nullptr;
    }
    auto field = std::make_shared<DBField>();
    field->Init(m_fields[index]);
    field->SetRecordCode(Code());
    if (!field->sysLoadFromDB(*m_query, m_fields[index]->IsStored() ? m_columns[index] : -1, ErrString)) {
        return nullptr;
    }
    return field;
}

const std::shared_ptr<Table> &RecordReader::Table() const
{
    return m_table;
}

QString RecordReader::FailureText() const
{
    return QStringLiteral("Ошибка при чтении строк таблицы '") + m_table->mName()
           + QStringLiteral("' (RecordReader): ");
}
} // namespace Rollstrake
