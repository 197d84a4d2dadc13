// Starting the library on the engine of this run: opening, messages, the schema in the database.
#include "connection.h"
#include "datafolder.h"
#include "entitylib.h"
#include "testdatabase.h"

#include <QElapsedTimer>
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
        Root::SetConnectionStateHandler({});
        Root::Shutdown();
    }

    void comesBackAfterTheServerRestarts_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("fast stop") << QStringLiteral("fast");
        QTest::newRow("immediate stop") << QStringLiteral("immediate");
    }

    // The server stopped and started again under the library, three times: the loss is told once with
    // the driver's text, a write meanwhile fails and is not done later, and the connection opens again
    // without a new start. An embedded file is never lost.
    void comesBackAfterTheServerRestarts()
    {
        QFETCH(QString, mode);
        TestDatabase database;
        QVERIFY2(database.IsReady(), qPrintable(database.Error()));
        auto root = Root::Create();
        QString error;
        QVERIFY2(root->Start(database.DataSource(),
                             WriteFile(database, SmallSchema),
                             error,
                             database.UserName(),
                             database.Password()),
                 qPrintable(error));
        QStringList told;
        Root::SetConnectionStateHandler([&told](bool Lost, const QString &Text) {
            told.append(Lost ? QStringLiteral("lost: ") + Text : QStringLiteral("back"));
        });
        const auto config = root->Tables()->Item(QStringLiteral("Config"));
        const auto write = [&config](const QString &Name, QString &Error) {
            auto record = config->GetNewRecord();
            record->DBFields()->Item(QStringLiteral("FieldName"))->SetValue(Name);
            return record->Update(Error);
        };
        const auto count = [&config](QString &Error) {
            const auto all = config->GetDBRecords(nullptr, Error);
            return all ? all->Count() : -1;
        };
        if (!TestDatabase::IsOdbc()) {
            QVERIFY2(write(QStringLiteral("kept"), error), qPrintable(error));
            QVERIFY(!Root::IsConnectionLost());
            QVERIFY(Root::Reconnect(true, error));
            QVERIFY(told.isEmpty());
            return;
        }
        TestDatabase::ServerRestart restart;
        constexpr int Rounds = 3;
        qint64 backMs = 0;
        for (int round = 1; round <= Rounds; ++round) {
            QVERIFY2(write(QStringLiteral("kept %1").arg(round), error), qPrintable(error));
            QVERIFY2(TestDatabase::StopServer(mode, error), qPrintable(error));
            restart.Stopped = true;
            QCOMPARE(count(error), -1);
            QVERIFY(Root::IsConnectionLost());
            QCOMPARE(told.size(), 2 * round - 1);
            QVERIFY2(told.last().size() > 6 && error.endsWith(told.last().mid(6)), qPrintable(told.last()));
            QString writeError;
            QVERIFY(!write(QStringLiteral("failed %1").arg(round), writeError));
            QVERIFY2(writeError.contains(told.last().mid(6)), qPrintable(writeError));
            // Still down: a try fails with the driver's word, and the loss is not told again.
            QVERIFY(!Root::Reconnect(true, error));
            QVERIFY(!error.isEmpty());
            QCOMPARE(told.size(), 2 * round - 1);
            QVERIFY2(TestDatabase::StartServer(error), qPrintable(error));
            restart.Stopped = false;
            QElapsedTimer back;
            back.start();
            // Each try within its back-off does nothing: the first one past it reopens.
            QVERIFY2(QTest::qWaitFor([&] { return Root::Reconnect(false, error); }, 60000), qPrintable(error));
            backMs += back.elapsed();
            QVERIFY2(!Root::IsConnectionLost(), qPrintable(error));
            QCOMPARE(told.last(), QStringLiteral("back"));
            // Every write that succeeded, none of those that failed.
            QCOMPARE(count(error), round);
        }
        qInfo("%s stop: back %lld ms after the server's start, in all %d restarts; lost as \"%s\"",
              qPrintable(mode),
              backMs,
              Rounds,
              qPrintable(told.first().simplified()));
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
