#include "connection.h"

#include "datafolder.h"
#include "entitylib.h"
#include "warninglog.h"

#include <QRegularExpression>
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
// Opening a lost connection again waits in the window thread: a server that does not answer holds
// it up no longer than this.
constexpr int ReconnectLoginSeconds = 5;
// The back-off between tries to open a lost connection again: doubled after each failed try.
constexpr qint64 FirstRetryMs = 1000;
constexpr qint64 LongestRetryMs = 16000;
constexpr int MsPerSecond = 1000;
// Room for an engine's or a driver's name as ODBC reports it.
constexpr int OdbcNameBytes = 256;
const QString ConnectionName = QStringLiteral("Rollstrake");
const QString SqliteSuffix = QStringLiteral(".sqlite");

using GetInfo = SQLRETURN (*)(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT *);
using GetConnectAttr = SQLRETURN (*)(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER, SQLINTEGER *);

std::function<void(bool, const QString &)> &StateHandler()
{
    static auto *handler = new std::function<void(bool, const QString &)>();
    return *handler;
}

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
    if (Current() != nullptr) {
        Current()->NoteFailure(error);
    }
    return text;
}

bool Connection::SaysConnectionLost(const QSqlError &error)
{
    // The connection states of ODBC and PostgreSQL's own for a server going down, and the drivers'
    // words where they give no state.
    static const QRegularExpression states(QStringLiteral("\\b(08S01|08003|08001|08006|08007|57P01|57P02|57P03)\\b"));
    static const QRegularExpression words(
        QStringLiteral("connection has been lost|connection lost|no connection to the "
                       "server|server closed the connection|terminating connection|"
                       "could not (send|receive) data (to|from) server|"
                       "database system is shutting down"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = error.nativeErrorCode() + u' ' + error.databaseText() + u' ' + error.driverText();
    return states.match(text).hasMatch() || words.match(text).hasMatch();
}

void Connection::NoteFailure(const QSqlError &error)
{
    // A connection that never opened (a failed start) is not lost; neither is a file.
    if (m_lost || !error.isValid() || m_dialect == SqlDialect::SQLite || !IsOpen()) {
        return;
    }
    if (!SaysConnectionLost(error) && !DriverSaysDead()) {
        return;
    }
    m_lost = true;
    m_lostText = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    m_sinceTry.invalidate();
    m_retryMs = 0;
    if (StateHandler()) {
        StateHandler()(true, m_lostText);
    }
}

bool Connection::DriverSaysDead() const
{
    const auto getAttr = reinterpret_cast<GetConnectAttr>(OdbcSymbol("SQLGetConnectAttr"));
    const QVariant handle = Database().driver()->handle();
    if (getAttr == nullptr || !handle.isValid() || Database().driverName() != QLatin1String("QODBC")) {
        return false;
    }
    SQLUINTEGER dead = SQL_CD_FALSE;
    const auto hdbc = *static_cast<const SQLHDBC *>(handle.constData());
    return SQL_SUCCEEDED(getAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) && dead == SQL_CD_TRUE;
}

bool Connection::IsLost() const
{
    return m_lost;
}

bool Connection::Ready(QString &description) const
{
    if (m_lost) {
        description = m_lostText;
        return false;
    }
    return true;
}

bool Connection::Reconnect(bool Force, QString &ErrString)
{
    // First finds out whether the server is still there: nothing else would tell before the caller's
    // own statements failed, and a server that restarted meanwhile is opened again at once.
    if (!m_lost && m_depth == 0 && (m_dialect == SqlDialect::PostgreSQL || m_dialect == SqlDialect::SqlServer)) {
        QString description;
        if (!Execute(QStringLiteral("SELECT 1"), description) && !m_lost) {
            LogWarning(QStringLiteral("Проверка соединения с базой данных: ") + description);
        }
    }
    if (!m_lost) {
        return true;
    }
    if (m_depth > 0 || (!Force && m_sinceTry.isValid() && !m_sinceTry.hasExpired(m_retryMs))) {
        ErrString = m_lostText;
        return false;
    }
    // The operator's tries leave the back-off of the background ones as it was.
    if (!Force) {
        m_sinceTry.start();
        m_retryMs = m_retryMs == 0 ? FirstRetryMs : qMin(m_retryMs * 2, LongestRetryMs);
    }
    // The kept statements belong to the old session.
    m_last = nullptr;
    m_prepared.clear();
    Database().close();
    QString description;
    if (!LogInOdbc(ReconnectLoginSeconds, description)) {
        m_lostText = description;
        ErrString = description;
        return false;
    }
    m_lost = false;
    m_lostText.clear();
    m_retryMs = 0;
    m_sinceTry.invalidate();
    // A record that a failed write left changed in memory is read afresh.
    Root::ForgetCaches();
    if (StateHandler()) {
        StateHandler()(false, QString());
    }
    return true;
}

void Connection::SetStateHandler(std::function<void(bool Lost, const QString &Text)> handler)
{
    StateHandler() = std::move(handler);
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
    m_userName = UserName;
    m_password = Password;
    return LogInOdbc(TimeoutSeconds, description);
}

bool Connection::LogInOdbc(int LoginSeconds, QString &description)
{
    QSqlDatabase database = Database();
    database.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2")
                                   .arg(LoginSeconds)
                                   .arg(TimeoutSeconds));
    if (!database.open(m_userName, m_password)) {
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
    m_unknownDataSource = !IsSqlitePath(DataBase);
    if (m_unknownDataSource) {
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
    if (!Ready(description)) {
        return false;
    }
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
    if (!Ready(description)) {
        return nullptr;
    }
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
        if (!Ready(description)) {
            return false;
        }
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
    QStringList drivers;
    const QStringList sources = OdbcDataSources(&drivers);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (sources[i].compare(name, Qt::CaseInsensitive) == 0) {
            if (Driver != nullptr) {
                *Driver = drivers[i];
            }
            return true;
        }
    }
    return false;
}

QStringList Connection::OdbcDataSources(QStringList *Drivers)
{
    using AllocHandle = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLHANDLE *);
    using SetEnvAttr = SQLRETURN (*)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    using DataSources = SQLRETURN (
            *)(SQLHENV, SQLUSMALLINT, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *);
    using FreeHandle = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE);
    const auto alloc = reinterpret_cast<AllocHandle>(OdbcSymbol("SQLAllocHandle"));
    const auto setAttr = reinterpret_cast<SetEnvAttr>(OdbcSymbol("SQLSetEnvAttr"));
    const auto sources = reinterpret_cast<DataSources>(OdbcSymbol("SQLDataSources"));
    const auto release = reinterpret_cast<FreeHandle>(OdbcSymbol("SQLFreeHandle"));
    QStringList names;
    if (alloc == nullptr || setAttr == nullptr || sources == nullptr || release == nullptr) {
        return names;
    }
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(alloc(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        return names;
    }
    setAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR dsn[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR driver[OdbcNameBytes];
    SQLSMALLINT dsnLength = 0;
    SQLSMALLINT driverLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (
        SQL_SUCCEEDED(sources(env, direction, dsn, sizeof(dsn), &dsnLength, driver, sizeof(driver), &driverLength))) {
        names.append(QString::fromUtf8(reinterpret_cast<const char *>(dsn)));
        if (Drivers != nullptr) {
            Drivers->append(
                QString::fromUtf8(reinterpret_cast<const char *>(driver), qMin<int>(driverLength, sizeof(driver) - 1)));
        }
        direction = SQL_FETCH_NEXT;
    }
    release(SQL_HANDLE_ENV, env);
    return names;
}

bool Connection::DataSourceMisnamed() const
{
    return m_unknownDataSource && (qEnvironmentVariableIsSet("ODBCINI") || qEnvironmentVariableIsSet("ODBCSYSINI"))
           && !OdbcDataSources(nullptr).isEmpty();
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
