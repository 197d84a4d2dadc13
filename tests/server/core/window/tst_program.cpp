#include "connection.h"
#include "controls/smartcontrolscontainer.h"
#include "core/clientprotocol.h"
#include "core/mainlog.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "core/window/program.h"
#include "datafolder.h"
#include "entitylib.h"
#include "mainlogtext.h"
#include "socketctl.h"
#include "testdatabase.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <csignal>

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void logSwitch_data();
    void logSwitch();
    // First: once this process holds the instance lock it keeps it.
    void secondInstanceAndTermination();
    void startsOnAnEmptyDatabase();
    void indexesTheLookupsOfEveryRefresh();
    void databaseThatCannotBeOpened_data();
    void databaseThatCannotBeOpened();
    void unknownDataSourceAtStart();
    void runScriptKeepsToTheEmbeddedFile();
    void listenerThatCannotStart();
    void signalEndsTheStartUpBox();
    void signalEndsTheWindowsBox();
    void signalKeepsTheLayouts();
    void windowComesBeforeTheClients();

private:
    ProgramOptions Options(const TestDatabase &Database) const;
    QProcessEnvironment ProgramEnvironment(const ProgramOptions &Options, quint16 Port) const;

    QTemporaryDir m_config;
    // An ODBC configuration that lists nothing, for the program started as a process: the
    // machine's /etc/odbc.ini may well hold the club's "QuillmarshDB".
    QTemporaryDir m_odbc;
};

void TestProgram::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    QFile odbcIni(m_odbc.filePath(QStringLiteral("odbc.ini")));
    QVERIFY(odbcIni.open(QIODevice::WriteOnly));
}

void TestProgram::cleanup()
{
    MessageBox::TakeRecords();
}

ProgramOptions TestProgram::Options(const TestDatabase &Database) const
{
    ProgramOptions options;
    options.DataBase = Database.DataSource();
    options.UserName = Database.UserName();
    options.Password = Database.Password();
    options.SchemaFile = QStringLiteral(QM_TEST_SCHEMA);
    options.DataFolder = Database.FolderPath();
    options.InstanceKey = QStringLiteral("quillmarsh-test-") + QString::number(QCoreApplication::applicationPid());
    options.ListenerPort = 0;
    options.BindAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    return options;
}

QProcessEnvironment TestProgram::ProgramEnvironment(const ProgramOptions &Options, quint16 Port) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ODBCINI"), m_odbc.filePath(QStringLiteral("odbc.ini")));
    environment.insert(QStringLiteral("ODBCSYSINI"), m_odbc.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    environment.insert(QStringLiteral("QUILLMARSH_DATA_FOLDER"), Options.DataFolder);
    environment.insert(QStringLiteral("QUILLMARSH_INSTANCE_KEY"), Options.InstanceKey);
    environment.insert(QStringLiteral("QUILLMARSH_BIND_ADDRESS"), QStringLiteral("127.0.0.1"));
    environment.insert(QStringLiteral("QUILLMARSH_PORT"), QString::number(Port));
    return environment;
}

void TestProgram::logSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("logging");
    QTest::newRow("none") << QStringList{QStringLiteral("quillmarsh")} << false;
    QTest::newRow("lower case") << QStringList{QStringLiteral("quillmarsh"), QStringLiteral("-log")} << true;
    QTest::newRow("capitals") << QStringList{QStringLiteral("quillmarsh"), QStringLiteral("-LOG")} << true;
    QTest::newRow("inside an argument") << QStringList{QStringLiteral("quillmarsh"), QStringLiteral("/tmp/a-logbook")}
                                        << true;
    QTest::newRow("split over two") << QStringList{QStringLiteral("quillmarsh"),
                                                   QStringLiteral("-lo"),
                                                   QStringLiteral("g")}
                                    << false;
    QTest::newRow("program name only") << QStringList{QStringLiteral("/opt/x-log/quillmarsh")} << false;
}

void TestProgram::logSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, logging);
    QCOMPARE(Program::HasLogSwitch(arguments.mid(1)), logging);
}

void TestProgram::startsOnAnEmptyDatabase()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    {
        Program program(Options(database));
        QVERIFY(program.Start({QStringLiteral("quillmarsh"), QStringLiteral("-LOG")}));
        QVERIFY(LoggingEnabled());
        QVERIFY(program.Window()->isVisible());
        QCOMPARE(program.Window()->CurrentKey(), QStringLiteral("MainFrame"));
        QString err;
        const auto table = Rollstrake::Root::StartedRoot()->Tables()->Item(QStringLiteral("Config"));
        QCOMPARE(table->GetDBRecords(nullptr, err)->Count(), 12);
        QVERIFY(program.Window()->close());
    }
    const QStringList lines = MainLogEntries();
    QCOMPARE(lines.first(), QStringLiteral("i Запуск"));
    // The database in use comes right after the start line.
    const QString inUse = TestDatabase::IsOdbc()
                              ? QStringLiteral("i База данных: источник данных ODBC '%1', драйвер "
                                               "'PostgreSQL Unicode' \\(psqlodbcw\\.so .+\\), СУБД PostgreSQL .+")
                              : QStringLiteral("i База данных: SQLite, файл '%1'");
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(inUse.arg(QRegularExpression::escape(database.DataSource()))));
    QVERIFY2(pattern.match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
    QCOMPARE(lines.last(), QStringLiteral("i Выход"));
    SetLoggingEnabled(false);
}

void TestProgram::indexesTheLookupsOfEveryRefresh()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    const QString catalog = TestDatabase::IsOdbc()
                                ? QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname=current_schema()")
                                : QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'");
    // The second start finds both indexes and logs no failure.
    for (int run = 0; run < 2; ++run) {
        Program program(Options(database));
        QVERIFY(program.Start({QStringLiteral("quillmarsh")}));
        QSqlQuery query = Rollstrake::Connection::Current()->NewQuery();
        QVERIFY(query.exec(catalog));
        QStringList names;
        while (query.next()) {
            names << query.value(0).toString();
        }
        QVERIFY2(names.contains(QStringLiteral("IX_Seances_Computer_EndDate")), qPrintable(names.join(u' ')));
        QVERIFY2(names.contains(QStringLiteral("IX_NightReserves_Computer_NightDate")), qPrintable(names.join(u' ')));
        QVERIFY(program.Window()->close());
    }
    const QStringList lines = MainLogEntries();
    QCOMPARE(lines.filter(QStringLiteral("индекс")), QStringList());
    QCOMPARE(lines.filter(QStringLiteral("не найден")), QStringList());
}

void TestProgram::databaseThatCannotBeOpened_data()
{
    QTest::addColumn<bool>("openFails");
    QTest::newRow("schema file missing") << false;
    QTest::newRow("database not opened") << true;
}

// The reason goes to the main log as well as to its box, which no one may be there to read.
void TestProgram::databaseThatCannotBeOpened()
{
    QFETCH(bool, openFails);
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    ProgramOptions options = Options(database);
    if (!openFails) {
        options.SchemaFile = database.FolderPath() + QStringLiteral("/missing.dbs");
    } else if (TestDatabase::IsOdbc()) {
        options.Password = QStringLiteral("wrong password");
    } else {
        options.DataBase = database.FolderPath() + QStringLiteral("/missing/test.sqlite");
    }
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    {
        Program program(options);
        QVERIFY(!program.Start({QStringLiteral("quillmarsh")}));
        QCOMPARE(program.ExitCode(), 1);
        QVERIFY(!program.Window());
    }
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
    QVERIFY(!boxes.first().Text.isEmpty());
    QVERIFY2(MainLogText().contains(QStringLiteral(" ! ") + boxes.first().Text + QStringLiteral("\r\n")),
             qPrintable(MainLogText()));
    const QStringList lines = MainLogEntries();
    QVERIFY2(lines.at(1).startsWith(QStringLiteral("i База данных: ")), qPrintable(lines.at(1)));
    QCOMPARE(lines.last(), QStringLiteral("i Выход"));
}

// A data source of the operator's own that unixODBC does not know (a misspelt name) is shown in a box
// with the log's line before the window opens; the program then goes on, on the embedded file. An
// empty configuration shows none (runScriptKeepsToTheEmbeddedFile: unixODBC keeps the first
// ODBCSYSINI of a process).
void TestProgram::unknownDataSourceAtStart()
{
    const QByteArray odbcIni("[QuilmarshDB]\nDriver=PostgreSQL Unicode\n");
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    QTemporaryDir odbc;
    QFile ini(odbc.filePath(QStringLiteral("odbc.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(odbcIni) == odbcIni.size());
    ini.close();
    const QByteArray oldIni = qgetenv("ODBCINI");
    const QByteArray oldSysIni = qgetenv("ODBCSYSINI");
    qputenv("ODBCINI", ini.fileName().toUtf8());
    qputenv("ODBCSYSINI", odbc.path().toUtf8());
    ProgramOptions options = Options(database);
    options.DataBase = QStringLiteral("QuillmarshDB");
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    {
        Program program(options);
        const bool started = program.Start({QStringLiteral("quillmarsh")});
        const auto restore = [](const char *Name, const QByteArray &Value) {
            Value.isNull() ? qunsetenv(Name) : qputenv(Name, Value);
        };
        restore("ODBCINI", oldIni);
        restore("ODBCSYSINI", oldSysIni);
        QVERIFY(started);
        QVERIFY(program.Window()->isVisible());
        QVERIFY(program.Window()->close());
    }
    const QString line = QStringLiteral("База данных: SQLite, файл '") + options.DataFolder
                         + QStringLiteral("/QuillmarshDB.sqlite' (источник данных ODBC 'QuillmarshDB' неизвестен "
                                          "unixODBC; ODBCINI='")
                         + ini.fileName() + QStringLiteral("', ODBCSYSINI='") + odbc.path() + QStringLiteral("')");
    QCOMPARE(MainLogEntries().at(1), QStringLiteral("i ") + line);
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
    QCOMPARE(boxes.first().Title, QStringLiteral("Ошибка!"));
    QCOMPARE(boxes.first().Text, line);
}

// scripts/run's environment starts the program on its embedded file although the home folder
// holds a data source of the program's name, and with no box: its window comes up and listens.
void TestProgram::runScriptKeepsToTheEmbeddedFile()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    ProgramOptions options = Options(database);
    // Not this process's instance, which an earlier test holds.
    options.InstanceKey += QStringLiteral("-run");
    QTemporaryDir home;
    QFile userIni(home.filePath(QStringLiteral(".odbc.ini")));
    QVERIFY(userIni.open(QIODevice::WriteOnly));
    userIni.write("[QuillmarshDB]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\nServername=127.0.0.1\n"
                  "Port=1\nDatabase=quillmarsh\n");
    userIni.close();
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcessEnvironment environment = ProgramEnvironment(options, port);
    environment.insert(QStringLiteral("HOME"), home.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(
        QStringLiteral("/bin/bash"),
        {QStringLiteral("-c"),
         QStringLiteral("source \"$1/embedded-database\" && quillmarsh_embedded_database \"$2\" && exec \"$3\""),
         QStringLiteral("run"),
         QStringLiteral(QUILLMARSH_SCRIPTS),
         home.filePath(QStringLiteral("odbc")),
         QStringLiteral(QUILLMARSH_EXE)});
    QVERIFY(program.waitForStarted());
    DataFolder::SetDataFolder(options.DataFolder);
    QTRY_VERIFY_WITH_TIMEOUT(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
            return socket.waitForConnected(200);
        }(),
        20000);
    const QString inUse = MainLogEntries().value(1);
    if (program.state() == QProcess::Running) {
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    }
    if (!program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished();
    }
    QVERIFY2(
        inUse.startsWith(QStringLiteral("i База данных: SQLite, файл '") + options.DataFolder
                         + QStringLiteral("/QuillmarshDB.sqlite' (источник данных ODBC 'QuillmarshDB' неизвестен")),
        qPrintable(inUse));
    QCOMPARE(program.exitCode(), 0);
}

void TestProgram::secondInstanceAndTermination()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    const ProgramOptions options = Options(database);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    const quint16 port = probe.serverPort();
    probe.close();

    QProcess first;
    first.setProcessEnvironment(ProgramEnvironment(options, port));
    first.start(QStringLiteral(QUILLMARSH_EXE), {});
    QVERIFY(first.waitForStarted());
    // Loaded once it listens for the client computers.
    QTRY_VERIFY_WITH_TIMEOUT(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
            return socket.waitForConnected(200);
        }(),
        20000);

    DataFolder::SetDataFolder(options.DataFolder);
    {
        Program second(options);
        QVERIFY(!second.Start({QStringLiteral("quillmarsh")}));
        QCOMPARE(second.ExitCode(), 0);
        QVERIFY(!Rollstrake::Root::StartedRoot());
    }
    QCOMPARE(first.state(), QProcess::Running);
    // The name that unixODBC does not know is said with the file used instead.
    QCOMPARE(MainLogEntries(),
             (QStringList{QStringLiteral("i Запуск"),
                          QStringLiteral("i База данных: SQLite, файл '") + options.DataFolder
                              + QStringLiteral("/QuillmarshDB.sqlite' (источник данных ODBC 'QuillmarshDB' неизвестен "
                                               "unixODBC; ODBCINI='")
                              + m_odbc.filePath(QStringLiteral("odbc.ini")) + QStringLiteral("', ODBCSYSINI='")
                              + m_odbc.path() + QStringLiteral("')"),
                          QStringLiteral("i Запуск"),
                          QStringLiteral("i Программа уже запущенна!"),
                          QStringLiteral("i Выход")}));

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(MainLogEntries().last(), QStringLiteral("i Выход"));
    QCOMPARE(MainLogEntries().size(), 6);
}

void TestProgram::listenerThatCannotStart()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    ProgramOptions options = Options(database);
    options.ListenerPort = taken.serverPort();
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    {
        Program program(options);
        QVERIFY(!program.Start({QStringLiteral("quillmarsh")}));
        QCOMPARE(program.ExitCode(), 1);
    }
    const auto boxes = MessageBox::TakeRecords();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first().Text.startsWith(QStringLiteral("Не удалось запустить прослушиватель: ")));
    const QStringList lines = MainLogEntries();
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(2), QStringLiteral("! ") + boxes.first().Text);
    QCOMPARE(lines.last(), QStringLiteral("i Выход"));
}

// The installed program with its client port taken: the box names the port in Russian, and a
// SIGTERM while it is open ends the program as it does elsewhere.
void TestProgram::signalEndsTheStartUpBox()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    ProgramOptions options = Options(database);
    // This process may hold the instance lock of its own key already.
    options.InstanceKey += QStringLiteral("-box");
    DataFolder::SetDataFolder(options.DataFolder);
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(options, taken.serverPort()));
    program.start(QStringLiteral(QUILLMARSH_EXE), {});
    QVERIFY(program.waitForStarted());
    // The box opens right after its text is logged; signals are read in its loop.
    QTRY_VERIFY_WITH_TIMEOUT(MainLogEntries().size() >= 3, 20000);
    const QString failure = MainLogEntries().at(2);
    const QString expected = QStringLiteral("! Не удалось запустить прослушиватель: порт %1: ").arg(taken.serverPort());
    QVERIFY2(failure.startsWith(expected), qPrintable(failure));
    QVERIFY2(!failure.contains(QStringLiteral("address")), qPrintable(failure));
    QCOMPARE(program.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(MainLogEntries().mid(2), (QStringList{failure, QStringLiteral("i Выход")}));
}

// A question of the running window is open when SIGTERM comes: the box goes as if cancelled, and
// the window unloads as it does on a SIGTERM without a box.
void TestProgram::signalEndsTheWindowsBox()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    Program program(Options(database));
    QVERIFY(program.Start({QStringLiteral("quillmarsh")}));
    QTimer::singleShot(0, this, [] { ::raise(SIGTERM); });
    const auto answer = MessageBox::Question(program.Window(),
                                             QStringLiteral("Quillmarsh"),
                                             QStringLiteral("Выключить все компьютеры?"));
    QVERIFY(answer != QMessageBox::Yes);
    QTRY_VERIFY(program.Window()->IsUnloaded());
    QCOMPARE(MainLogEntries().last(), QStringLiteral("i Выход"));
}

// SIGTERM closes as the close box does: the separators moved since the start are kept without a
// save, and one of a page never opened keeps what an earlier run stored.
void TestProgram::signalKeepsTheLayouts()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    RegistrySerilize::SaveContainerValue(QStringLiteral("AutorunClientsInfo"), QStringLiteral("1900"));
    const QHash<QString, qint32> moved = {{QStringLiteral("DesktopSeparator"), 2010},
                                          {QStringLiteral("SettingsSeparator"), 2505}};
    Program program(Options(database));
    QVERIFY(program.Start({QStringLiteral("quillmarsh")}));
    QVERIFY(program.Window()->ShowModeFrame(QStringLiteral("DesktopFrame")));
    for (auto *bar : program.Window()->findChildren<SmartControlsContainer *>()) {
        if (moved.contains(bar->RegKeyName())) {
            bar->SetSeparatorPosition(moved.value(bar->RegKeyName()));
        }
    }
    ::raise(SIGTERM);
    QTRY_VERIFY(program.Window()->IsUnloaded());
    for (auto it = moved.cbegin(); it != moved.cend(); ++it) {
        QCOMPARE(RegistrySerilize::GetContainerValue(it.key()), QString::number(it.value()));
    }
    QCOMPARE(RegistrySerilize::GetContainerValue(QStringLiteral("AutorunClientsInfo")), QStringLiteral("1900"));
}

// A client computer that accepts the server's connection and never answers: the window is on the
// screen before the first client dialog of start-up begins, and the status polls wait a full
// interval after it appeared.
void TestProgram::windowComesBeforeTheClients()
{
    TestDatabase database;
    QVERIFY2(database.IsReady(), qPrintable(database.Error()));
    // An address of this process alone, at a port below the range of outgoing connections.
    const QHostAddress client(QStringLiteral("127.0.0.%1").arg(2 + QCoreApplication::applicationPid() % 250));
    constexpr int FirstPort = 20000;
    constexpr int Ports = 12000;
    QTcpServer silent;
    ProgramOptions options = Options(database);
    for (int attempt = 0; attempt < 100 && !silent.isListening(); ++attempt) {
        const auto port = quint16(FirstPort + QRandomGenerator::global()->bounded(Ports));
        QTcpServer server;
        if (server.listen(QHostAddress(QStringLiteral("127.0.0.1")), port)) {
            server.close();
            if (silent.listen(client, port)) {
                options.ListenerPort = port;
            }
        }
    }
    QVERIFY(silent.isListening());
    {
        Program first(options);
        QVERIFY(first.Start({QStringLiteral("quillmarsh")}));
        const auto computers = Rollstrake::Root::StartedRoot()->Tables()->Item(QStringLiteral("Computers"));
        const auto record = computers->GetNewRecord();
        record->DBFields()->Item(QStringLiteral("Num"))->SetValue(1);
        record->DBFields()->Item(QStringLiteral("IP"))->SetValue(client.toString());
        QString err;
        QVERIFY2(record->Update(err), qPrintable(err));
        QVERIFY(first.Window()->close());
    }
    QList<QTcpSocket *> held;
    bool shownWhenAsked = false;
    Program program(options);
    connect(&silent, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *socket = silent.nextPendingConnection()) {
            held.append(socket);
            shownWhenAsked = program.Window() && program.Window()->isVisible();
        }
    });
    QVERIFY(program.Start({QStringLiteral("quillmarsh")}));
    MainForm *window = program.Window();
    QVERIFY(window->isVisible());
    QVERIFY(window->StatusCheckInterval()->isActive());
    QCOMPARE(window->StatusCheckInterval()->interval(), MainForm::StatusCheckIntervalMs);
    QCOMPARE(window->Protocol()->DialogsInProgress(), 0);
    QCOMPARE(held.size(), 0);
    window->Control()->SetAnswerTimeout(1);
    QTRY_COMPARE(held.size(), 1);
    QVERIFY(shownWhenAsked);
    QTRY_COMPARE(window->Protocol()->DialogsInProgress(), 0);
    QCOMPARE(window->Computers()->UserState(1), -3);
    QVERIFY(window->close());
    qDeleteAll(held);
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
