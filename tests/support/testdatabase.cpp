#include "testdatabase.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

TestDatabase::TestDatabase()
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    if (!IsOdbc()) {
        m_dataSource = m_folder.filePath(QStringLiteral("test.sqlite"));
        m_ready = true;
        return;
    }
    m_dataSource = qEnvironmentVariable("QM_TEST_ODBC_DSN");
    m_userName = qEnvironmentVariable("QM_TEST_ODBC_USER");
    m_password = qEnvironmentVariable("QM_TEST_ODBC_PASSWORD");
    if (m_dataSource.isEmpty()) {
        m_error = QStringLiteral("QM_TEST_ODBC_DSN is not set (run through scripts/test or pg-fixture)");
        return;
    }
    m_ready = DropAllTables();
}

namespace
{
constexpr int ServerWaitMs = 120000;

bool RunServerCommand(const char *Variable, const QString &Tail, QString &Error)
{
    const QString command = qEnvironmentVariable(Variable);
    if (command.isEmpty()) {
        Error = QString::fromLatin1(Variable) + QStringLiteral(" is not set (run through scripts/test or pg-fixture)");
        return false;
    }
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command + Tail});
    if (!shell.waitForFinished(ServerWaitMs) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0) {
        Error = command + Tail + QStringLiteral(": ") + QString::fromLocal8Bit(shell.readAll()) + shell.errorString();
        return false;
    }
    return true;
}
} // namespace

bool TestDatabase::StopServer(const QString &Mode, QString &Error)
{
    return RunServerCommand("QM_TEST_PG_STOP", QLatin1Char(' ') + Mode, Error);
}

bool TestDatabase::StartServer(QString &Error)
{
    return RunServerCommand("QM_TEST_PG_START", QString(), Error);
}

TestDatabase::ServerRestart::~ServerRestart()
{
    QString error;
    if (Stopped && !StartServer(error)) {
        qWarning("%s", qPrintable(error));
    }
}

bool TestDatabase::IsReady() const
{
    return m_ready;
}

const QString &TestDatabase::Error() const
{
    return m_error;
}

bool TestDatabase::IsOdbc()
{
    return Engine() == QLatin1String("odbc");
}

QString TestDatabase::Engine()
{
    return qEnvironmentVariable("QM_TEST_ENGINE") == QLatin1String("odbc") ? QStringLiteral("odbc")
                                                                           : QStringLiteral("sqlite");
}

const QString &TestDatabase::DataSource() const
{
    return m_dataSource;
}

const QString &TestDatabase::UserName() const
{
    return m_userName;
}

const QString &TestDatabase::Password() const
{
    return m_password;
}

QString TestDatabase::FolderPath() const
{
    return m_folder.path();
}

bool TestDatabase::DropAllTables()
{
    const QString name = QStringLiteral("TestDatabaseCleaner");
    bool ok = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        database.setDatabaseName(m_dataSource);
        if (!database.open(m_userName, m_password)) {
            m_error = database.lastError().text();
        } else {
            QSqlQuery query(database);
            QStringList tables;
            if (query.exec(QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema()"))) {
                while (query.next()) {
                    tables << query.value(0).toString();
                }
                ok = true;
            }
            for (const QString &table : std::as_const(tables)) {
                if (!query.exec(QStringLiteral("DROP TABLE \"%1\" CASCADE").arg(table))) {
                    ok = false;
                }
            }
            if (!ok) {
                m_error = query.lastError().text();
            }
            database.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}
