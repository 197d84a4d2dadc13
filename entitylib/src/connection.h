#pragma once

#include "sqldialect.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
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

    // A connection to a database server that the server dropped (it stopped or restarted): noted
    // where a failure comes back, and opened again by Reconnect. Meanwhile every statement fails at
    // once with the driver's text of the loss. An embedded SQLite file is never lost.
    bool IsLost() const;
    // False with the driver's text while the connection is lost.
    bool Ready(QString &description) const;
    // Checks a server's connection with a statement that costs it nothing, and opens a lost one
    // again, at most once per back-off period unless Force; true when the connection is open. Never
    // inside a transaction: the failure that ended it has already been returned to the one who wrote.
    bool Reconnect(bool Force, QString &ErrString);
    // Told when the connection is lost (with the driver's text) and when it is back (empty text).
    static void SetStateHandler(std::function<void(bool Lost, const QString &Text)> handler);

    // Nested transactions: only the outermost level reaches the database.
    bool BeginTransaction(QString &description);
    bool CommitTransaction(QString &description);
    void RollbackTransaction();

    // Whether unixODBC knows this data source name; Driver receives the driver it names.
    static bool IsOdbcDataSource(const QString &name, QString *Driver = nullptr);
    // The data sources that unixODBC lists, with their drivers.
    static QStringList OdbcDataSources(QStringList *Drivers);
    // The data source name was not known, although ODBCINI or ODBCSYSINI is set and names a
    // configuration that lists data sources of its own: a misspelt name, as like as not. An empty
    // configuration (one that keeps to the embedded file on purpose) is no sign of one.
    bool DataSourceMisnamed() const;
    // The SQLite file that stands for a data source name that ODBC does not know.
    static QString SqliteFilePath(const QString &DataBase);
    // The engine's description of an error; an error that says the server has dropped the
    // connection marks the library's connection lost.
    static QString ErrorText(const QSqlError &error);
    // Whether an error's text or code says the connection to the server is gone.
    static bool SaysConnectionLost(const QSqlError &error);
    // IsSQLServer's rule on an engine name.
    static qint32 KindOfDBMSName(const QString &name);

private:
    // How many kept statements are enough for every shape of read and write of the schema.
    static constexpr std::size_t MaxPreparedStatements = 512;

    explicit Connection(const QString &connectionName);
    bool OpenOdbc(const QString &DataBase, const QString &UserName, const QString &Password, QString &description);
    // Logs in to the ODBC data source already named, waiting LoginSeconds at most.
    bool LogInOdbc(int LoginSeconds, QString &description);
    // The driver's own word that its connection is dead.
    bool DriverSaysDead() const;
    void NoteFailure(const QSqlError &error);
    bool OpenSqlite(const QString &DataBase, QString &description);
    void ReadEngine();
    void DescribeSqlite(const QString &DataBase);
    void DescribeOdbcEngine();

    QString m_name;
    QString m_userName;
    QString m_password;
    QString m_dbmsName;
    QString m_inUse;
    std::unordered_map<QString, QSqlQuery> m_prepared;
    // The statement asked for last, and its text.
    QString m_lastSql;
    QSqlQuery *m_last = nullptr;
    SqlDialect m_dialect = SqlDialect::Access;
    qint32 m_depth = 0;
    bool m_rollbackOnly = false;
    bool m_unknownDataSource = false;
    bool m_lost = false;
    // The driver's text of the loss, or of the last try to open again.
    QString m_lostText;
    // The back-off: the next try waits m_retryMs after the last one.
    QElapsedTimer m_sinceTry;
    qint64 m_retryMs = 0;
};
} // namespace Rollstrake
