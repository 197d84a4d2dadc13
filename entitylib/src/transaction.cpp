#include "connection.h"
#include "entitylib.h"

namespace Rollstrake
{
Transaction::~Transaction()
{
    Rollback();
}

bool Transaction::Begin(QString &ErrString)
{
    Connection *connection = Connection::Current();
    if (connection != nullptr && !connection->Ready(ErrString)) {
        return false;
    }
    if (connection == nullptr || !connection->IsOpen()) {
        ErrString = QStringLiteral("Нет соединения с базой данных!");
        return false;
    }
    m_active = connection->BeginTransaction(ErrString);
    return m_active;
}

bool Transaction::Commit(QString &ErrString)
{
    if (!m_active) {
        return false;
    }
    m_active = false;
    if (!Connection::Current()->CommitTransaction(ErrString)) {
        Root::ForgetCaches();
        return false;
    }
    return true;
}

void Transaction::Rollback()
{
    if (!m_active) {
        return;
    }
    m_active = false;
    Connection *connection = Connection::Current();
    if (connection != nullptr) {
        connection->RollbackTransaction();
        Root::ForgetCaches();
    }
}
} // namespace Rollstrake
