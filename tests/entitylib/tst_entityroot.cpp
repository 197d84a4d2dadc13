// Starting the library on the engine of this run: opening, messages, the schema in the database.
#include "connection.h"
#include "datafolder.h"
#include "entitylib.h"
#include "testdatabase.h"

#include <QFile>
#include <QTest>

using namespace Rollstrake;

namespace
{
const char *const SmallSchema = "{TABLE}\n{NAME=Config}\n{CAPTION=Настройки}\n{FIELD}\n{NAME=FieldName}\n"
                                "{TYPE=VARCHAR}\n{UNIQUE}\n{REQUIRED=True}\n{/FIELD}\n{/TABLE}\n";

QString WriteFile(const TestDatabase &database, const QByteArray &text)
{
    const QString path = database.FolderPath() + QStringLiteral("/quillmar.dbs");
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    return path;
}
} // namespace

class TestEntityRoot : public QObject
{
    Q_OBJECT

private slots:

    void cleanup()
    {
        Root::Shutdown();
    }

    void startsAndRefusesSecondStart()
    {
        TestDatabase database;
        QVERIFY2(database.IsReady(), qPrintable(database.Error()));
        auto root = Root::Create();
        QCOMPARE(root->Tables(), root->Tables());
        QString error;
        QVERIFY2(root->Start(database.DataSource(),
                             WriteFile(database, SmallSchema),
                             error,
                             database.UserName(),
                             database.Password()),
                 qPrintable(error));
        QCOMPARE(Root::StartedRoot(), root);
        QCOMPARE(root->Tables()->Count(), 1);
        QCOMPARE(Connection::Current()->IsSQLServer(), 1);
        QCOMPARE(Connection::Current()->DBMSName(),
                 TestDatabase::IsOdbc() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"));
        auto second = Root::Create();
        QVERIFY(!second->Start(database.DataSource(),
                               WriteFile(database, SmallSchema),
                               error,
                               database.UserName(),
                               database.Password()));
        QCOMPARE(error, QStringLiteral("Модуль Rollstrake.dll уже запущен!"));
        second.reset();
        // A stray root going away leaves the started one working.
        QVERIFY(Connection::Current() && Connection::Current()->IsOpen());
    }

    void failedOpenThenAlreadyStarted()
    {
        TestDatabase database;
        QVERIFY2(database.IsReady(), qPrintable(database.Error()));
        const QString source =
            TestDatabase::IsOdbc() ? database.DataSource() : QStringLiteral("/nonexistent-folder/x/club.sqlite");
        auto root = Root::Create();
        QString error;
        QVERIFY(!root->Start(source,
                             WriteFile(database, SmallSchema),
                             error,
                             database.UserName(),
                             QStringLiteral("wrong password")));
        QVERIFY2(
            error.startsWith(QStringLiteral("Ошибка доступа к базе данных '") + source + QStringLiteral("': \r\n")),
            qPrintable(error));
        QVERIFY(error.size()
                > (QStringLiteral("Ошибка доступа к базе данных '") + source + QStringLiteral("': \r\n")).size());
        // What was tried is known even though it did not open.
        const QString tried = TestDatabase::IsOdbc()
                                  ? QStringLiteral("источник данных ODBC '%1', драйвер 'PostgreSQL Unicode'")
                                  : QStringLiteral("SQLite, файл '%1'");
        QCOMPARE(Root::DataBaseInUse(), tried.arg(source));
        QVERIFY(!root->Start(database.DataSource(),
                             WriteFile(database, SmallSchema),
                             error,
                             database.UserName(),
                             database.Password()));
        QCOMPARE(error, QStringLiteral("Модуль Rollstrake.dll уже запущен!"));
        // The failed root gone, a new one opens afresh.
        root.reset();
        auto fresh = Root::Create();
        QVERIFY2(fresh->Start(database.DataSource(),
                              WriteFile(database, SmallSchema),
                              error,
                              database.UserName(),
                              database.Password()),
                 qPrintable(error));
    }

    void sqliteFileInDataFolder()
    {
        TestDatabase database;
        DataFolder::SetDataFolder(database.FolderPath());
        auto root = Root::Create();
        QString error;
        // A name that the ODBC driver manager does not know is an embedded database in the data folder.
        QVERIFY2(root->Start(QStringLiteral("QuillmarshDB"),
                             WriteFile(database, SmallSchema),
                             error,
                             QStringLiteral("Quillmarsh"),
                             QStringLiteral("any")),
                 qPrintable(error));
        QVERIFY(QFile::exists(database.FolderPath() + QStringLiteral("/QuillmarshDB.sqlite")));
        QSqlQuery query = Connection::Current()->NewQuery();
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("wal"));
        QVERIFY(query.exec(QStringLiteral("PRAGMA synchronous")) && query.next());
        QCOMPARE(query.value(0).toInt(), 2);
        DataFolder::SetDataFolder(QString());
    }

    void missingSchemaFile()
    {
        TestDatabase database;
        QVERIFY2(database.IsReady(), qPrintable(database.Error()));
        auto root = Root::Create();
        const QString path = database.FolderPath() + QStringLiteral("/none.dbs");
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("Rollstrake Невозможно открыть файл описания структуры БД: '")
                                        + path + QStringLiteral("'! Файл '") + path + QStringLiteral("' не найден!")));
        QString error;
        QVERIFY(!root->Start(database.DataSource(), path, error, database.UserName(), database.Password()));
        QCOMPARE(error,
                 QStringLiteral("Невозможно открыть файл описания структуры БД: '") + path + QStringLiteral("'!"));
        QCOMPARE(root->Tables()->Count(), 0);
        QVERIFY(!Root::StartedRoot());
    }

    void duplicateTableFailsStart()
    {
        TestDatabase database;
        QVERIFY2(database.IsReady(), qPrintable(database.Error()));
        auto root = Root::Create();
        QString error;
        QVERIFY(!root->Start(database.DataSource(),
                             WriteFile(database, "{TABLE}\n{NAME=A}\n{/TABLE}\n{TABLE}\n{NAME=a}\n{/TABLE}\n"),
                             error,
                             database.UserName(),
                             database.Password()));
        QVERIFY2(error.startsWith(QStringLiteral("Ошибка добавления таблицы 'a'")), qPrintable(error));
        QCOMPARE(root->Tables()->Count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEntityRoot)
#include "tst_entityroot.moc"
