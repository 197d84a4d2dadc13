#pragma once

#include "sqldialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <unordered_map>

namespace Rollstrake
{
// The library's one database connection (library state): a data source that the ODBC driver
// manager knows opens through QODBC; any other name is an embedded SQLite file. Every statement
// of the library runs through Current().
class ROLLSTRAKE_TESTS_EXPORT Connection
{
public:
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The library's connection once a start has got as far as opening; null before.
    static Connection *Current();
    // The dialect of the current connection; the classic kind 0 wording without one.
    static SqlDialect CurrentDialect();
    // Makes the library's connection and opens it; false with the message of a failed open
    // (the unopened connection stays the library's, as a failed start leaves it).
    static bool
    OpenDataBase(const QString &DataBase, const QString &UserName, const QString &Password, QString &ErrString);
    // Drops the library's connection, closing it.
    static void Release();

    bool IsOpen() const;
    // The engine's own name ("SQLite", "PostgreSQL", ...).
    const QString &DBMSName() const;
    // The database this connection opens, for the log: the SQLite file (and the data source name
    // that unixODBC did not know, when one stood for it), or the ODBC data source with its driver and,
    // once open, the engine.
    const QString &DataBaseInUse() const;
    // 1 when the upper-cased engine name contains "SQL", else 0.
    qint32 IsSQLServer() const;
    SqlDialect Dialect() const;
    QSqlDatabase Database() const;

    // Runs a statement; false with the engine's error description.
    bool Execute(const QString &sql, QString &description);
    // A forward-only query on this connection.
    QSqlQuery NewQuery() const;
    // A statement prepared once per text and kept with the connection (reads, inserts and updates
    // bind their values); null with the engine's error description when it cannot be prepared.
    // The pointer serves until the next call: the caller runs the statement and finishes it first.
    QSqlQuery *PreparedQuery(const QString &sql, QString &description);

    // Nested transactions: only the outermost level reaches the database.
    bool BeginTransaction(QString &description);
    bool CommitTransaction(QString &description);
    void RollbackTransaction();

    // Whether unixODBC knows this data source name; Driver receives the driver it names.
    static bool IsOdbcDataSource(const QString &name, QString *Driver = nullptr);
    // The SQLite file that stands for a data source name that ODBC does not know.
    static QString SqliteFilePath(const QString &DataBase);
    // The engine's description of an error.
    static QString ErrorText(const QSqlError &error);
    // IsSQLServer's rule on an engine name.
    static qint32 KindOfDBMSName(const QString &name);

private:
    // How many kept statements are enough for every shape of read and write of the schema.
    static constexpr std::size_t MaxPreparedStatements = 512;

    explicit Connection(const QString &connectionName);
    bool OpenOdbc(const QString &DataBase, const QString &UserName, const QString &Password, QString &description);
    bool OpenSqlite(const QString &DataBase, QString &description);
    void ReadEngine();
    void DescribeSqlite(const QString &DataBase);
    void DescribeOdbcEngine();

    QString m_name;
    QString m_dbmsName;
    QString m_inUse;
    std::unordered_map<QString, QSqlQuery> m_prepared;
    // The statement asked for last, and its text.
    QString m_lastSql;
    QSqlQuery *m_last = nullptr;
    SqlDialect m_dialect = SqlDialect::Access;
    qint32 m_depth = 0;
    bool m_rollbackOnly = false;
};
} // namespace Rollstrake
