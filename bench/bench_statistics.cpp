// The statistics view's report loads over a year of data (500,000 seances with their payments,
// 2,000,000 history lines, 1,000,000 internet accesses, night reserves, card top-ups and services)
// against plain queries in the same run that read the same rows. For each report it prints the whole
// load (rows listed and totals shown), the time until the first rows were shown, the longest pause
// of the event loop during the load, the memory the listed rows added (resident set per row), the
// plain queries' time and the ratio of the two; then a sort of the largest list by its text column
// with the longest pause of the event loop while it runs.
// Usage: bench_statistics [scale]   (scale 1 = the year above)
#include "benchdatabase.h"
#include "benchhelpers.h"
#include "clock.h"
#include "connection.h"
#include "core/computerlookups.h"
#include "datevalue.h"
#include "generalhelpers.h"
#include "statistics/reportcontainer.h"
#include "statistics/reportlistview.h"
#include "statistics/reportmodel.h"
#include "statistics/statisticfilter.h"
#include "statistics/statisticframe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTabBar>
#include <QTextStream>
#include <QTimer>

#include <malloc.h>

namespace
{
constexpr int Computers = 50;
constexpr qint64 YearSeconds = 365LL * 24 * 3600;
const QDateTime YearStart = DateValue::Make(2026, 1, 1);

void Exec(QSqlDatabase &Database, const QString &Statement)
{
    QSqlQuery query(Database);
    query.prepare(Statement);
    Exec(query);
}

// Moment i of Count spread evenly over the year.
QDateTime Spread(qint64 Index, qint64 Count)
{
    return YearStart.addSecs(Index * YearSeconds / qMax<qint64>(Count, 1));
}

void Populate(double Scale)
{
    QSqlDatabase database = Rollstrake::Connection::Current()->Database();
    database.transaction();
    QSqlQuery query(database);
    query.prepare(QStringLiteral("INSERT INTO Computers (Num, IP, Name) VALUES (?,?,'')"));
    for (int num = 1; num <= Computers; ++num) {
        query.addBindValue(num);
        query.addBindValue(QStringLiteral("10.0.0.%1").arg(num));
        Exec(query);
    }
    Exec(database, QStringLiteral("INSERT INTO Desktops (Name, IsInternet) VALUES ('Игры', 1)"));
    Exec(database,
         QStringLiteral("INSERT INTO Rates (Name, IsNight, DaysOfWeek, PriceForHour) VALUES ('День', 0, 254, 60)"));
    Exec(database,
         QStringLiteral("INSERT INTO Cards (Barcode, OwnerNickname, OwnerLastName) VALUES ('1001', 'Лис', 'Иванов')"));
    Exec(database, QStringLiteral("INSERT INTO ServiceTypes (Name, Price) VALUES ('Чай', 25)"));

    const qint64 seances = qint64(500000 * Scale);
    QSqlQuery seance(database);
    seance.prepare(QStringLiteral("INSERT INTO Seances (Computer, Desktop, BeginDate, Rate, Duration, EndDate, "
                                  "Downloaded, Uploaded) VALUES (?,1,?,1,60,?,1048576,524288)"));
    QSqlQuery pay(database);
    pay.prepare(
        QStringLiteral("INSERT INTO SeancePays (Seance, NightReserve, PayDate, Card, Sum) VALUES (?,0,?,?,60)"));
    for (qint64 row = 0; row < seances; ++row) {
        const QDateTime begin = Spread(row, seances);
        seance.addBindValue(1 + row % Computers);
        seance.addBindValue(SqlDate(begin));
        seance.addBindValue(SqlDate(begin.addSecs(3600)));
        Exec(seance);
        pay.addBindValue(row + 1);
        pay.addBindValue(SqlDate(begin));
        pay.addBindValue(row % 5 == 0 ? 1 : 0);
        Exec(pay);
    }
    const qint64 reserves = qint64(7300 * Scale);
    QSqlQuery reserve(database);
    reserve.prepare(
        QStringLiteral("INSERT INTO NightReserves (NightDate, Computer, Nickname, Desktop, Rate, IsFullPay, "
                       "Seance) VALUES (?,?,'Гость',1,1,1,0)"));
    QSqlQuery reservePay(database);
    reservePay.prepare(QStringLiteral("INSERT INTO SeancePays (Seance, NightReserve, PayDate, Card, Sum) VALUES "
                                      "(0,?,?,0,400)"));
    for (qint64 row = 0; row < reserves; ++row) {
        const QDateTime paid = Spread(row, reserves);
        reserve.addBindValue(SqlDate(GetDayBound(paid, false).addDays(1)));
        reserve.addBindValue(1 + row % Computers);
        Exec(reserve);
        reservePay.addBindValue(row + 1);
        reservePay.addBindValue(SqlDate(paid));
        Exec(reservePay);
    }
    const qint64 lines = qint64(2000000 * Scale);
    query.prepare(QStringLiteral("INSERT INTO History (HistoryDate, ComputerNum, Description) VALUES (?,?,?)"));
    for (qint64 row = 0; row < lines; ++row) {
        query.addBindValue(SqlDate(Spread(row, lines)));
        query.addBindValue(1 + row % Computers);
        query.addBindValue(QStringLiteral("Начат сеанс на 60 минут, тариф 'День', сумма 60 руб."));
        Exec(query);
    }
    const qint64 accesses = qint64(1000000 * Scale);
    query.prepare(QStringLiteral("INSERT INTO Traffic (Computer, AccessTime, URL) VALUES (?,?,?)"));
    for (qint64 row = 0; row < accesses; ++row) {
        query.addBindValue(1 + row % Computers);
        query.addBindValue(SqlDate(Spread(row, accesses)));
        query.addBindValue(QStringLiteral("http://example.org/news/%1").arg(row % 1000));
        Exec(query);
    }
    const qint64 sales = qint64(50000 * Scale);
    QSqlQuery topUp(database);
    topUp.prepare(QStringLiteral("INSERT INTO CardPays (Card, PayDate, Sum) VALUES (1,?,500)"));
    query.prepare(QStringLiteral("INSERT INTO Services (ServiceType, Amount, ServiceTime, Comment) VALUES (1,2,?,'')"));
    for (qint64 row = 0; row < sales; ++row) {
        topUp.addBindValue(SqlDate(Spread(row, sales)));
        Exec(topUp);
        query.addBindValue(SqlDate(Spread(row, sales)));
        Exec(query);
    }
    database.commit();
}

// The bytes the process holds on its heap (in use, not merely kept by the allocator).
qint64 HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// The resident set of the process in bytes.
qint64 ResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
    }
    return 0;
}

// Measures the longest pause of the event loop while Busy says the work runs.
class PauseMeter final
{
public:
    PauseMeter()
    {
        m_ticks.setInterval(0);
        QObject::connect(&m_ticks, &QTimer::timeout, &m_ticks, [this] {
            m_longestMs = qMax(m_longestMs, m_sinceTick.nsecsElapsed() / 1e6);
            m_sinceTick.restart();
        });
        m_sinceTick.start();
        m_ticks.start();
    }

    double LongestMs() const
    {
        return m_longestMs;
    }

private:
    QTimer m_ticks;
    QElapsedTimer m_sinceTick;
    double m_longestMs = 0;
};

// The plain queries of a report: the same rows read with their values.
qint64 ReadPlain(const QStringList &Statements)
{
    QSqlDatabase database = Rollstrake::Connection::Current()->Database();
    qint64 rows = 0;
    for (const QString &statement : Statements) {
        QSqlQuery query(database);
        query.setForwardOnly(true);
        if (!query.exec(statement)) {
            qFatal("%s", qPrintable(query.lastError().text()));
        }
        const int columns = query.record().count();
        while (query.next()) {
            for (int column = 0; column < columns; ++column) {
                query.value(column);
            }
            ++rows;
        }
    }
    return rows;
}

struct Measured
{
    double TotalMs = 0;
    double FirstRowsMs = -1;
    double LongestPauseMs = 0;
    qsizetype Rows = 0;
    qint64 AddedBytes = 0;
    qint64 HeldBytes = 0;
};

// One load of the view as the operator starts it, the event loop running throughout.
Measured Load(StatisticFrame &View, ReportKind Kind, const ReportFilter &Filter)
{
    Measured measured;
    // Taken before the tab's first load: the list is empty until then.
    const qint64 before = ResidentBytes();
    const qint64 heldBefore = HeapBytes();
    View.Tabs()->setCurrentIndex(static_cast<int>(Kind));
    while (View.IsLoading()) {
        QCoreApplication::processEvents();
    }
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setInterval(0);
    ReportContainer *container = View.Container(Kind);
    QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
        measured.LongestPauseMs = qMax(measured.LongestPauseMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
        if (measured.FirstRowsMs < 0 && container && container->RowCount() > 0) {
            measured.FirstRowsMs = clock.nsecsElapsed() / 1e6;
        }
    });
    clock.start();
    sinceTick.start();
    ticks.start();
    emit View.FilterBar()->FilterApplied(Filter);
    while (View.IsLoading()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    measured.TotalMs = clock.nsecsElapsed() / 1e6;
    ticks.stop();
    measured.Rows = container ? container->RowCount() : 0;
    measured.AddedBytes = ResidentBytes() - before;
    measured.HeldBytes = HeapBytes() - heldBefore;
    return measured;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const double scale = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 1.0;
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    const auto root = StartBenchDatabase(folder);
    QElapsedTimer populating;
    populating.start();
    Populate(scale);
    GetComputerCode(0, true);
    Clock::SetNow(DateValue::Make(2027, 1, 10, 12, 0, 0));
    Out() << QStringLiteral("A year at scale %1, written in %2 s")
                 .arg(scale)
                 .arg(populating.elapsed() / 1000.0, 0, 'f', 1)
          << Qt::endl;

    QElapsedTimer indexing;
    indexing.start();
    StatisticFrame view;
    Out() << QStringLiteral("the view made with its date indexes over the existing rows: %1 ms")
                 .arg(indexing.nsecsElapsed() / 1e6, 0, 'f', 1)
          << Qt::endl;
    view.resize(1200, 800);
    view.show();
    view.LoadSettings();
    while (view.IsLoading()) {
        QCoreApplication::processEvents();
    }

    ReportFilter year;
    year.DateFrom = YearStart;
    year.DateTo = DateValue::Make(2026, 12, 31, 23, 59, 59);
    const QString from = SqlDate(year.DateFrom);
    const QString to = SqlDate(year.DateTo);
    const QString nextDay = SqlDate(year.DateTo.addDays(1));
    const QString between = QStringLiteral(" BETWEEN '%1' AND '%2'").arg(from, to);

    struct Report
    {
        const char *Name;
        ReportKind Kind;
        QStringList Plain;
    };

    const Report reports[] = {
        {"seances",
         ReportKind::Seances,
         {QStringLiteral("SELECT * FROM Seances WHERE BeginDate >= '%1' AND EndDate <= '%2' ORDER BY Code")
              .arg(from, nextDay),
          QStringLiteral("SELECT * FROM SeancePays WHERE Seance > 0 AND PayDate") + between
              + QStringLiteral(" ORDER BY PayDate, Code")}},
        {"night reserves",
         ReportKind::NightReserves,
         {QStringLiteral("SELECT * FROM NightReserves WHERE NightDate >= '%1' ORDER BY Code").arg(from),
          QStringLiteral("SELECT * FROM SeancePays WHERE NightReserve > 0 AND PayDate") + between
              + QStringLiteral(" ORDER BY PayDate, Code")}},
        {"card top-ups",
         ReportKind::CardPays,
         {QStringLiteral("SELECT * FROM CardPays WHERE PayDate") + between
          + QStringLiteral(" ORDER BY PayDate, Code")}},
        {"services",
         ReportKind::Services,
         {QStringLiteral("SELECT * FROM Services WHERE ServiceTime") + between
          + QStringLiteral(" ORDER BY ServiceTime, Code")}},
        {"internet",
         ReportKind::Internet,
         {QStringLiteral("SELECT * FROM Traffic WHERE AccessTime") + between
          + QStringLiteral(" ORDER BY AccessTime, Code")}},
        {"history",
         ReportKind::History,
         {QStringLiteral("SELECT * FROM History WHERE HistoryDate") + between
          + QStringLiteral(" ORDER BY HistoryDate, Code")}},
        {"chart",
         ReportKind::Chart,
         {QStringLiteral("SELECT * FROM Seances WHERE BeginDate <= '%1' AND EndDate >= '%2' ORDER BY Code")
              .arg(to, from)}},
    };
    for (const Report &report : reports) {
        const Measured load = Load(view, report.Kind, year);
        QElapsedTimer plainClock;
        plainClock.start();
        const qint64 plainRows = ReadPlain(report.Plain);
        const double plainMs = plainClock.nsecsElapsed() / 1e6;
        Out() << QStringLiteral(
                     "%1: %2 rows listed in %3 ms, first rows after %4 ms (target 100), longest pause "
                     "%5 ms (target 100), resident set +%6 MB, heap held by the list %7 bytes a row (target 200); "
                     "plain queries %8 rows in %9 ms; ratio %10 (target: at most 2)")
                     .arg(QString::fromLatin1(report.Name))
                     .arg(load.Rows)
                     .arg(load.TotalMs, 0, 'f', 0)
                     .arg(load.FirstRowsMs, 0, 'f', 0)
                     .arg(load.LongestPauseMs, 0, 'f', 0)
                     .arg(double(load.AddedBytes) / (1024 * 1024), 0, 'f', 1)
                     .arg(load.Rows > 0 ? QString::number(load.HeldBytes / load.Rows) : QStringLiteral("-"))
                     .arg(plainRows)
                     .arg(plainMs, 0, 'f', 0)
                     .arg(load.TotalMs / plainMs, 0, 'f', 2)
              << Qt::endl;
    }
    // The largest list, history, sorted by its text column as a header click does.
    constexpr int InformationColumn = 2;
    ReportContainer *history = view.Container(ReportKind::History);
    QElapsedTimer sortClock;
    bool sorted = false;
    QObject::connect(history->Rows(), &ReportModel::Sorted, history, [&sorted] { sorted = true; });
    const PauseMeter sortPauses;
    sortClock.start();
    history->List()->SortByColumn(InformationColumn);
    while (!sorted) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Out() << QStringLiteral("history sorted by its text column: %1 rows in %2 ms (target 2000), longest pause %3 ms "
                            "(target 100)")
                 .arg(history->RowCount())
                 .arg(sortClock.nsecsElapsed() / 1e6, 0, 'f', 0)
                 .arg(sortPauses.LongestMs(), 0, 'f', 0)
          << Qt::endl;
    ReleaseMainLog();
    return 0;
}
