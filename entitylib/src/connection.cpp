#include "connection.h"

#include "datafolder.h"

#include <QSqlDriver>
#include <QSqlError>

#include <dlfcn.h>
#include <memory>
#include <sql.h>
#include <sqlext.h>

namespace Rollstrake
{
namespace
{
constexpr int TimeoutSeconds = 300;
constexpr int MsPerSecond = 1000;
// Room for an engine's or a driver's name as ODBC reports it.
constexpr int OdbcNameBytes = 256;
const QString ConnectionName = QStringLiteral("Rollstrake");
const QString SqliteSuffix = QStringLiteral(".sqlite");

using GetInfo = SQLRETURN (*)(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT *);

// Never destroyed with the other statics: closing happens in Release, before Qt's own statics go.
std::unique_ptr<Connection> &Instance()
{
    static auto *connection = new std::unique_ptr<Connection>();
    return *connection;
}

// The ODBC driver manager is reached through the library that Qt's ODBC driver has loaded, so this
// library links Qt only.
void *OdbcSymbol(const char *name)
{
    static void *handle = [] {
        QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("RollstrakeProbe"));
        QSqlDatabase::removeDatabase(QStringLiteral("RollstrakeProbe"));
        void *library = dlopen("libodbc.so.2", RTLD_LAZY | RTLD_NOLOAD);
        return library != nullptr ? library : dlopen("libodbc.so.2", RTLD_LAZY);
    }();
    return handle != nullptr ? dlsym(handle, name) : nullptr;
}

// A name that is a SQLite file's own path rather than a data source.
bool IsSqlitePath(const QString &DataBase)
{
    return DataBase.endsWith(SqliteSuffix, Qt::CaseInsensitive);
}

// One text that the ODBC driver reports of an open connection; empty when it reports none.
QString OdbcInfo(const QSqlDatabase &database, SQLUSMALLINT type)
{
    const auto getInfo = reinterpret_cast<GetInfo>(OdbcSymbol("SQLGetInfo"));
    const QVariant handle = database.driver()->handle();
    if (getInfo == nullptr || !handle.isValid()) {
        return {};
    }
    char text[OdbcNameBytes] = {};
    SQLSMALLINT length = 0;
    const auto hdbc = *static_cast<const SQLHDBC *>(handle.constData());
    if (!SQL_SUCCEEDED(getInfo(hdbc, type, text, sizeof(text) - 1, &length))) {
        return {};
    }
    return QString::fromUtf8(text, qMin<int>(length, sizeof(text) - 1));
}

// Appends a reported value after its label; nothing when the driver reported none.
void AppendReported(QString &text, const QString &label, const QString &value)
{
    if (!value.isEmpty()) {
        text += label + value;
    }
}

// Where unixODBC looks for data sources, as the environment of this process sets it.
QString OdbcVariable(const char *name)
{
    const QString label = QString::fromLatin1(name);
    if (!qEnvironmentVariableIsSet(name)) {
        return label + QStringLiteral(" не задан");
    }
    return label + QStringLiteral("='") + qEnvironmentVariable(name) + u'\'';
}
} // namespace

QString Connection::ErrorText(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty()) {
        text = error.text();
    }
    return text;
}

Connection::Connection(const QString &connectionName)
    : m_name(connectionName)
{
}

Connection::~Connection()
{
    m_last = nullptr;
    m_prepared.clear();
    {
        QSqlDatabase database = QSqlDatabase::database(m_name, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

Connection *Connection::Current()
{
    return Instance().get();
}

SqlDialect Connection::CurrentDialect()
{
    return Current() != nullptr ? Current()->Dialect() : SqlDialect::Access;
}

bool Connection::OpenDataBase(const QString &DataBase,
                              const QString &UserName,
                              const QString &Password,
                              QString &ErrString)
{
    Instance().reset(new Connection(ConnectionName));
    QString description;
    QString driver;
    bool opened = false;
    if (IsOdbcDataSource(DataBase, &driver)) {
        Instance()->m_inUse =
            QStringLiteral("источник данных ODBC '") + DataBase + QStringLiteral("', драйвер '") + driver + u'\'';
        opened = Instance()->OpenOdbc(DataBase, UserName, Password, description);
    } else {
        Instance()->DescribeSqlite(DataBase);
        opened = Instance()->OpenSqlite(DataBase, description);
    }
    if (!opened) {
        ErrString =
            QStringLiteral("Ошибка доступа к базе данных '") + DataBase + QStringLiteral("': \r\n") + description;
        return false;
    }
    Instance()->ReadEngine();
    return true;
}

void Connection::Release()
{
    Instance().reset();
}

bool Connection::OpenOdbc(const QString &DataBase,
                          const QString &UserName,
                          const QString &Password,
                          QString &description)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    database.setDatabaseName(DataBase);
    database.setConnectOptions(
        QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(TimeoutSeconds));
    if (!database.open(UserName, Password)) {
        description = ErrorText(database.lastError());
        return false;
    }
    if (database.driver()->dbmsType() == QSqlDriver::PostgreSQL) {
        QSqlQuery query(database);
        if (!query.exec(QStringLiteral("SET statement_timeout = %1").arg(TimeoutSeconds * MsPerSecond))) {
            description = ErrorText(query.lastError());
            database.close();
            return false;
        }
    }
    return true;
}

bool Connection::OpenSqlite(const QString &DataBase, QString &description)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    database.setDatabaseName(SqliteFilePath(DataBase));
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(TimeoutSeconds * MsPerSecond));
    if (!database.open()) {
        description = ErrorText(database.lastError());
        return false;
    }
    // WAL with full synchronisation: a committed record survives a crash or a power loss. A page
    // cache of up to 64 MiB keeps a year of seances in memory: the tiles' lookups by computer touch
    // pages all over the table on every refresh, which the default 2 MiB would read again each time.
    QSqlQuery query(database);
    for (const QString &pragma : {QStringLiteral("PRAGMA journal_mode=WAL"),
                                  QStringLiteral("PRAGMA synchronous=FULL"),
                                  QStringLiteral("PRAGMA cache_size=-65536")}) {
        if (!query.exec(pragma)) {
            description = ErrorText(query.lastError());
            database.close();
            return false;
        }
    }
    return true;
}

void Connection::ReadEngine()
{
    QSqlDatabase database = Database();
    const QSqlDriver::DbmsType type = database.driver()->dbmsType();
    if (database.driverName() == QLatin1String("QSQLITE")) {
        m_dbmsName = QStringLiteral("SQLite");
        m_dialect = SqlDialect::SQLite;
        return;
    }
    m_dbmsName = OdbcInfo(database, SQL_DBMS_NAME);
    DescribeOdbcEngine();
    if (type == QSqlDriver::PostgreSQL) {
        m_dialect = SqlDialect::PostgreSQL;
    } else {
        m_dialect = KindOfDBMSName(m_dbmsName) == 1 ? SqlDialect::SqlServer : SqlDialect::Access;
    }
}

void Connection::DescribeSqlite(const QString &DataBase)
{
    m_inUse = QStringLiteral("SQLite, файл '") + SqliteFilePath(DataBase) + u'\'';
    // A misspelt name, or ODBCINI and ODBCSYSINI not passed to the program, end up here.
    if (!IsSqlitePath(DataBase)) {
        m_inUse += QStringLiteral(" (источник данных ODBC '") + DataBase + QStringLiteral("' неизвестен unixODBC; ")
                   + OdbcVariable("ODBCINI") + QStringLiteral(", ") + OdbcVariable("ODBCSYSINI") + u')';
    }
}

void Connection::DescribeOdbcEngine()
{
    const QSqlDatabase database = Database();
    const QString driverFile = OdbcInfo(database, SQL_DRIVER_NAME);
    if (!driverFile.isEmpty()) {
        m_inUse += QStringLiteral(" (") + driverFile;
        AppendReported(m_inUse, QStringLiteral(" "), OdbcInfo(database, SQL_DRIVER_VER));
        m_inUse += u')';
    }
    AppendReported(m_inUse, QStringLiteral(", СУБД "), m_dbmsName);
    AppendReported(m_inUse, QStringLiteral(" "), OdbcInfo(database, SQL_DBMS_VER));
    AppendReported(m_inUse, QStringLiteral(", сервер "), OdbcInfo(database, SQL_SERVER_NAME));
    AppendReported(m_inUse, QStringLiteral(", база "), OdbcInfo(database, SQL_DATABASE_NAME));
}

bool Connection::IsOpen() const
{
    return Database().isOpen();
}

const QString &Connection::DataBaseInUse() const
{
    return m_inUse;
}

const QString &Connection::DBMSName() const
{
    return m_dbmsName;
}

qint32 Connection::IsSQLServer() const
{
    return KindOfDBMSName(m_dbmsName);
}

SqlDialect Connection::Dialect() const
{
    return m_dialect;
}

QSqlDatabase Connection::Database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Connection::Execute(const QString &sql, QString &description)
{
    QSqlQuery query = NewQuery();
    if (!query.exec(sql)) {
        description = ErrorText(query.lastError());
        return false;
    }
    return true;
}

QSqlQuery Connection::NewQuery() const
{
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    // Exact decimals arrive as text and convert without a detour through binary fractions.
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    return query;
}

QSqlQuery *Connection::PreparedQuery(const QString &sql, QString &description)
{
    // Tables hand out their statement texts as shared copies: the same text again is found without
    // hashing it.
    if (m_last != nullptr && sql.isSharedWith(m_lastSql)) {
        return m_last;
    }
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        // Texts differ only by their filters' shapes and LIKE patterns; should they pile up, the
        // kept statements start afresh rather than grow without end.
        if (m_prepared.size() >= MaxPreparedStatements) {
            m_prepared.clear();
            m_last = nullptr;
        }
        QSqlQuery query = NewQuery();
        if (!query.prepare(sql)) {
            description = ErrorText(query.lastError());
            return nullptr;
        }
        found = m_prepared.emplace(sql, std::move(query)).first;
    }
    m_lastSql = sql;
    m_last = &found->second;
    return m_last;
}

bool Connection::BeginTransaction(QString &description)
{
    if (m_depth == 0) {
        QSqlDatabase database = Database();
        if (!database.transaction()) {
            description = ErrorText(database.lastError());
            return false;
        }
        m_rollbackOnly = false;
    }
    ++m_depth;
    return true;
}

bool Connection::CommitTransaction(QString &description)
{
    if (m_depth == 0) {
        return true;
    }
    if (--m_depth > 0) {
        return true;
    }
    QSqlDatabase database = Database();
    if (m_rollbackOnly) {
        database.rollback();
        description = QStringLiteral("Транзакция отменена");
        return false;
    }
    if (!database.commit()) {
        description = ErrorText(database.lastError());
        database.rollback();
        return false;
    }
    return true;
}

void Connection::RollbackTransaction()
{
    if (m_depth == 0) {
        return;
    }
    if (--m_depth > 0) {
        m_rollbackOnly = true;
        return;
    }
    Database().rollback();
}

bool Connection::IsOdbcDataSource(const QString &name, QString *Driver)
{
    if (name.isEmpty() || IsSqlitePath(name)) {
        return false;
    }
    using AllocHandle = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLHANDLE *);
    using SetEnvAttr = SQLRETURN (*)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    using DataSources = SQLRETURN (
            *)(SQLHENV, SQLUSMALLINT, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *);
    using FreeHandle = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE);
    const auto alloc = reinterpret_cast<AllocHandle>(OdbcSymbol("SQLAllocHandle"));
    const auto setAttr = reinterpret_cast<SetEnvAttr>(OdbcSymbol("SQLSetEnvAttr"));
    const auto sources = reinterpret_cast<DataSources>(OdbcSymbol("SQLDataSources"));
    const auto release = reinterpret_cast<FreeHandle>(OdbcSymbol("SQLFreeHandle"));
    if (alloc == nullptr || setAttr == nullptr || sources == nullptr || release == nullptr) {
        return false;
    }
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(alloc(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        return false;
    }
    setAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool found = false;
    SQLCHAR dsn[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR driver[OdbcNameBytes];
    SQLSMALLINT dsnLength = 0;
    SQLSMALLINT driverLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (!found
           && SQL_SUCCEEDED(
               sources(env, direction, dsn, sizeof(dsn), &dsnLength, driver, sizeof(driver), &driverLength))) {
        found = QString::fromUtf8(reinterpret_cast<const char *>(dsn)).compare(name, Qt::CaseInsensitive) == 0;
        direction = SQL_FETCH_NEXT;
    }
    if (found && Driver != nullptr) {
        *Driver =
            QString::fromUtf8(reinterpret_cast<const char *>(driver), qMin<int>(driverLength, sizeof(driver) - 1));
    }
    release(SQL_HANDLE_ENV, env);
    return found;
}

QString Connection::SqliteFilePath(const QString &DataBase)
{
    if (IsSqlitePath(DataBase)) {
        return DataBase;
    }
    return DataFolder::FilePath(DataBase + SqliteSuffix);
}

qint32 Connection::KindOfDBMSName(const QString &name)
{
    return name.toUpper().contains(QLatin1String("SQL")) ? 1 : 0;
}
} // namespace Rollstrake
