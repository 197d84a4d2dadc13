// Start-up time of the program, from the start of its start-up to the main window shown, on an
// empty database and on one holding a year of seances, history and traffic. Start-up reads nothing
// but the schema and the settings, so the full database should cost at most 1.5 times the empty one.
// Then the time to the window's first paint with two client computers that accept the server's
// connection and never answer, against the same computers not listening at all: no client dialog
// runs before the window appears, so the silent ones should cost at most 1.2 times.
// Usage: bench_startup [scale]   (scale 1 = 500,000 Seances, 2,000,000 History, 500,000 Traffic)
#include "benchhelpers.h"
#include "core/clientprotocol.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "core/window/program.h"
#include "entitylib.h"
#include "seances/computersframe.h"
#include "socketctl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
const QString SchemaFile = QStringLiteral(QUILLMARSH_SCHEMA_FILE);
constexpr int Computers = 20;
constexpr int Runs = 5;
const QStringList SilentIPs = {QStringLiteral("127.0.0.198"), QStringLiteral("127.0.0.199")};
// Ports below the kernel's range for outgoing connections, so that no other connection holds the
// clients' addresses at the port.
constexpr int FirstPort = 20000;
constexpr int EndPort = 32000;
constexpr int PortAttempts = 100;

ProgramOptions Options(const QTemporaryDir &Folder)
{
    ProgramOptions options;
    options.DataBase = Folder.filePath(QStringLiteral("club.sqlite"));
    options.SchemaFile = SchemaFile;
    options.DataFolder = Folder.path();
    options.InstanceKey = QStringLiteral("quillmarsh-bench-") + QString::number(QCoreApplication::applicationPid());
    options.ListenerPort = 0;
    options.BindAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    return options;
}

// One start-up to the window shown, in milliseconds; the window is then closed in order.
double StartOnce(const ProgramOptions &Options)
{
    QElapsedTimer timer;
    timer.start();
    Program program(Options);
    if (!program.Start({QStringLiteral("quillmarsh")})) {
        Out() << "start-up failed\n";
        return 0;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    program.Window()->close();
    return ms;
}

bool Exec(QSqlDatabase &Db, const QString &Statement)
{
    QSqlQuery query(Db);
    if (!query.exec(Statement)) {
        Out() << "bench_startup: " << query.lastError().text() << "\n";
        return false;
    }
    return true;
}

// Fills the tables with rows copied from one template row each, in one transaction.
bool Fill(const QString &File, double Scale)
{
    const auto count = [Scale](int n) {
        return QString::number(qMax(1, int(n * Scale)));
    };
    const QString rows =
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(File);
    bool ok = db.open() && db.transaction();
    ok = ok
         && Exec(db,
                 rows.arg(count(500000))
                     + QStringLiteral("INSERT INTO Seances (Computer, Desktop, BeginDate, Rate, Duration, EndDate, "
                                      "Downloaded, Uploaded) SELECT 1 + i % 20, 1, '2025-03-01 10:00:00', 1, 60, "
                                      "'2025-03-01 11:00:00', 0, 0 FROM n"))
         && Exec(db,
                 rows.arg(count(2000000))
                     + QStringLiteral("INSERT INTO History (HistoryDate, ComputerNum, Description) "
                                      "SELECT '2025-03-01 10:00:00', 1 + i % 20, 'Сеанс ' || i FROM n"))
         && Exec(db,
                 rows.arg(count(500000))
                     + QStringLiteral("INSERT INTO Traffic (Computer, AccessTime, URL) "
                                      "SELECT 1 + i % 20, '2025-03-01 10:00:00', 'http://example.org/' || i FROM n"))
         && db.commit();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

// Milliseconds from the start of Program::Start to the window's first paint; the program then runs
// until its client dialogs have ended (they time out after a second) and closes.
double TimeToPaint(const ProgramOptions &Options)
{
    class FirstPaint : public QObject
    {
    public:
        FirstPaint(QEventLoop &Loop, const QElapsedTimer &Timer)
            : m_loop(Loop)
            , m_timer(Timer)
        {
        }

        double Ms = 0;

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && Ms == 0) {
                Ms = m_timer.nsecsElapsed() / 1e6;
                m_loop.quit();
            }
            return QObject::eventFilter(watched, event);
        }

    private:
        QEventLoop &m_loop;
        const QElapsedTimer &m_timer;
    };

    QEventLoop loop;
    QElapsedTimer timer;
    FirstPaint watcher(loop, timer);
    timer.start();
    Program program(Options);
    if (!program.Start({QStringLiteral("quillmarsh")})) {
        Out() << "start-up failed\n";
        return 0;
    }
    MainForm *window = program.Window();
    window->Control()->SetAnswerTimeout(1);
    window->installEventFilter(&watcher);
    if (watcher.Ms == 0) {
        loop.exec();
    }
    window->removeEventFilter(&watcher);
    const double ms = watcher.Ms;
    while (window->Protocol()->DialogsInProgress() > 0 || window->Computers()->Panel()->Controls().isEmpty()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    window->close();
    return ms;
}

// Two client computers that take the server's connections and never answer.
class SilentClients
{
public:
    bool Listen(quint16 Port)
    {
        for (const QString &ip : SilentIPs) {
            auto server = std::make_unique<QTcpServer>();
            if (!server->listen(QHostAddress(ip), Port)) {
                return false;
            }
            QObject::connect(server.get(), &QTcpServer::newConnection, server.get(), [raw = server.get()] {
                while (raw->nextPendingConnection() != nullptr) {
                }
            });
            m_servers.push_back(std::move(server));
        }
        return true;
    }

    void Stop()
    {
        m_servers.clear();
    }

private:
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
};

double Median(QList<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values.at(Values.size() / 2);
}

double Measure(const ProgramOptions &Options)
{
    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        times.append(StartOnce(Options));
    }
    return Median(times);
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const double scale = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 1.0;
    QTemporaryDir empty;
    QTemporaryDir full;
    // The first start creates the tables; the computers go into both databases alike.
    for (const QTemporaryDir *folder : {&empty, &full}) {
        StartOnce(Options(*folder));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("computers"));
        db.setDatabaseName(folder->filePath(QStringLiteral("club.sqlite")));
        db.open();
        for (int num = 1; num <= Computers; ++num) {
            Exec(db,
                 QStringLiteral("INSERT INTO Computers (Num, IP) VALUES (%1, '127.0.0.%2')").arg(num).arg(num + 100));
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("computers"));
    }
    if (!Fill(full.filePath(QStringLiteral("club.sqlite")), scale)) {
        return 1;
    }
    const double emptyMs = Measure(Options(empty));
    const double fullMs = Measure(Options(full));
    Out() << "start-up to the main window (median of " << Runs << "), scale " << scale << "\n";
    Out() << "  empty database: " << QString::number(emptyMs, 'f', 1) << " ms\n";
    Out() << "  full database:  " << QString::number(fullMs, 'f', 1) << " ms\n";
    Out() << "  ratio full/empty: " << QString::number(fullMs / emptyMs, 'f', 2) << " (target at most 1.50)\n";

    // The same database with two more computers, which listen silently or not at all.
    QTemporaryDir clients;
    StartOnce(Options(clients));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("clients"));
        db.setDatabaseName(clients.filePath(QStringLiteral("club.sqlite")));
        db.open();
        for (int i = 0; i < SilentIPs.size(); ++i) {
            Exec(db, QStringLiteral("INSERT INTO Computers (Num, IP) VALUES (%1, '%2')").arg(i + 1).arg(SilentIPs[i]));
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("clients"));
    }
    ProgramOptions withClients = Options(clients);
    SilentClients silent;
    for (int attempt = 0; attempt < PortAttempts && withClients.ListenerPort == 0; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(FirstPort, EndPort));
        QTcpServer probe;
        if (probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), port) && silent.Listen(port)) {
            withClients.ListenerPort = port;
        }
        silent.Stop();
    }
    QList<double> quiet;
    QList<double> waiting;
    for (int run = 0; run < Runs; ++run) {
        quiet.append(TimeToPaint(withClients));
        if (!silent.Listen(withClients.ListenerPort)) {
            Out() << "bench_startup: the silent clients cannot listen\n";
            return 1;
        }
        waiting.append(TimeToPaint(withClients));
        silent.Stop();
    }
    const double quietMs = Median(quiet);
    const double waitingMs = Median(waiting);
    Out() << "time to the window's first paint (median of " << Runs << ")\n";
    Out() << "  two computers not listening:          " << QString::number(quietMs, 'f', 1) << " ms\n";
    Out() << "  two computers that accept, never answer: " << QString::number(waitingMs, 'f', 1) << " ms\n";
    Out() << "  ratio silent/none: " << QString::number(waitingMs / quietMs, 'f', 2) << " (target at most 1.20)\n";
    return 0;
}
