#pragma once

#include <QString>
#include <QTemporaryDir>

// A clean database for one test, on the engine of this run (QM_TEST_ENGINE):
// - "sqlite" (also when unset): a fresh .sqlite file in a temporary folder, named by its path;
// - "odbc": the PostgreSQL data source of QM_TEST_ODBC_DSN / _USER / _PASSWORD, emptied of every
//   table when the fixture is made, so runs do not see each other's data.
// Make one per test, before the code under test opens the database; pass DataSource(), UserName()
// and Password() to Root::Start (or whatever opens it).
class TestDatabase
{
public:
    TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    // False (with the reason in Error()) when the database could not be prepared.
    bool IsReady() const;
    const QString &Error() const;

    static bool IsOdbc();
    // "sqlite" or "odbc".
    static QString Engine();

    const QString &DataSource() const;
    const QString &UserName() const;
    const QString &Password() const;
    // A temporary folder that lives as long as the fixture (for schema files, the data folder...).
    QString FolderPath() const;

    // The PostgreSQL server of the run stopped ("fast" or "immediate", as pg_ctl says) and started
    // again on its port (QM_TEST_PG_STOP, QM_TEST_PG_START); false with the reason in Error.
    static bool StopServer(const QString &Mode, QString &Error);
    static bool StartServer(QString &Error);

    // Starts the server again when a test that stopped it ends before it did, for the suites after it.
    struct ServerRestart
    {
        bool Stopped = false;
        ~ServerRestart();
    };

private:
    bool DropAllTables();

    QTemporaryDir m_folder;
    QString m_dataSource;
    QString m_userName;
    QString m_password;
    QString m_error;
    bool m_ready = false;
};
