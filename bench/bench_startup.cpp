// Start-up time of the program, from the start of its start-up to the main window shown, on an
// empty database and on one holding a year of seances, history and traffic. Start-up reads nothing
// but the schema and the settings, so the full database should cost at most 1.5 times the empty one.
// Usage: bench_startup [scale]   (scale 1 = 500,000 Seances, 2,000,000 History, 500,000 Traffic)
#include "core/window/mainform.h"
#include "core/window/program.h"
#include "entitylib.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace
{
const QString SchemaFile = QStringLiteral(QUILLMARSH_SCHEMA_FILE);
constexpr int Computers = 20;
constexpr int Runs = 5;

QTextStream &Out()
{
    static QTextStream out(stdout);
    return out;
}

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
    return 0;
}
