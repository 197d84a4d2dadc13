// The program under the load of its client computers: the real socket control and handlers of the
// main window on 127.0.0.1, simulated client computers on 127.0.0.2 and up (bench/loaddriver.h).
//   (a) accepts and state reports per second on fresh connections, against a plain QTcpServer
//       doing the same accept, read, answer (through the same handler) and close;
//   (b) every client reporting its state once a second for three minutes, compressed, with the
//       status polls on: median, p99 and worst answer latency;
//   (c) one connection flooding requests whose answers it never reads, beside a client that reports
//       every 100 ms: that client's worst latency;
//   (d) the purge of 10,000 closed slots, timed inside the dialog that runs it;
//   (e) the resident memory before, at the peak of and 10 s after a storm of 10,000 connections.
// Every figure is printed beside a baseline of the same run. Usage: bench_clientload [reduced]
#include "benchhelpers.h"
#include "core/clientprotocol.h"
#include "core/clientrequests.h"
#include "core/window/mainform.h"
#include "core/window/program.h"
#include "loaddriver.h"
#include "packetframing.h"
#include "socketctl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <atomic>

using namespace Pelloxan;

namespace
{
const QString SchemaFile = QStringLiteral(QUILLMARSH_SCHEMA_FILE);
constexpr int FirstClient = 2;
constexpr int Computers = 200;
constexpr quint8 StateReport = 30;
constexpr double MsPerSecond = 1000.0;
constexpr double BytesPerMegabyte = 1024.0 * 1024.0;
constexpr int ProbeConcurrency = 16;
constexpr int StormConcurrency = 256;
constexpr qint64 ClosedSlots = 10000;
constexpr qint64 StormConnections = 10000;
constexpr double FloodReporterPeriodMs = 100;
constexpr int SettleMs = 300;
constexpr int AfterStormMs = 10000;
// A minute of the program's status timer.
constexpr double StatusMinuteMs = 60000;

struct Sizes
{
    double RateSeconds = 1;
    int LoadClients = Computers;
    // Three minutes of reports and polls run this many times faster.
    double Compression = 6;
    double LoadMinutes = 3;
    qint64 Flood = 200000;
};

QString Number(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

QString Latencies(const LoadDriver::Result &Result)
{
    return QStringLiteral("median %1 ms, p99 %2 ms, worst %3 ms (%4 answered, %5 failed)")
        .arg(Number(Percentile(Result.LatenciesMs, 0.5), 2),
             Number(Percentile(Result.LatenciesMs, 0.99), 2),
             Number(Percentile(Result.LatenciesMs, 1.0), 2))
        .arg(Result.Completed)
        .arg(Result.Failed);
}

void Wait(int Ms)
{
    QEventLoop loop;
    QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A port below the kernel's range for outgoing connections, so that no connection of another
// process holds a client's address at it.
quint16 FreePort()
{
    constexpr int FirstPort = 20000;
    constexpr int EndPort = 32000;
    for (;;) {
        const auto port = quint16(QRandomGenerator::global()->bounded(FirstPort, EndPort));
        QTcpServer probe;
        if (probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), port)) {
            return port;
        }
    }
}

// Plain Qt doing the control's work on a fresh connection: read a whole message, hand a request
// with a header to the same handler, answer it, and let the client close.
class PlainServer final : public QObject
{
public:
    using Handler = std::function<void(const QString &, const MessagePackPtr &)>;

    explicit PlainServer(Handler OnRequest)
        : m_onRequest(std::move(OnRequest))
    {
        connect(&m_listener, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_listener.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool Listen(quint16 Port)
    {
        m_listener.setMaxPendingConnections(StormConcurrency);
        return m_listener.listen(QHostAddress(QStringLiteral("127.0.0.1")), Port);
    }

private:
    void Read(QTcpSocket *Socket)
    {
        QByteArray &buffer = m_buffers[Socket];
        buffer += Socket->readAll();
        auto pack = std::make_shared<MessagePack>();
        qsizetype next = 0;
        if (PacketFraming::FromPacketString(buffer, 0, *pack, next) != PacketFraming::ParseResult::Complete) {
            return;
        }
        m_buffers.remove(Socket);
        if (pack->Header() != 0) {
            m_onRequest(Socket->peerAddress().toString(), pack);
        }
        pack->SetPacketDirection(pdAnswer);
        Socket->write(PacketFraming::ToPacketString(*pack));
    }

    Handler m_onRequest;
    QTcpServer m_listener;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

ProgramOptions Options(const QTemporaryDir &Folder, quint16 Port)
{
    ProgramOptions options;
    options.DataBase = Folder.filePath(QStringLiteral("club.sqlite"));
    options.SchemaFile = SchemaFile;
    options.DataFolder = Folder.path();
    options.InstanceKey = QStringLiteral("quillmarsh-load-") + QString::number(QCoreApplication::applicationPid());
    options.ListenerPort = Port;
    options.BindAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    return options;
}

// The club's database with its computers on the simulated clients' addresses.
bool PrepareDatabase(const QTemporaryDir &Folder)
{
    {
        Program first(Options(Folder, 0));
        if (!first.Start({QStringLiteral("quillmarsh")})) {
            return false;
        }
        first.Window()->close();
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("computers"));
    db.setDatabaseName(Folder.filePath(QStringLiteral("club.sqlite")));
    bool ok = db.open();
    {
        QSqlQuery query(db);
        ok = ok && query.prepare(QStringLiteral("INSERT INTO Computers (Num, IP) VALUES (?, ?)"));
        for (int num = 1; ok && num <= Computers; ++num) {
            query.addBindValue(num);
            query.addBindValue(LoadDriver::ClientIP(FirstClient, num - 1));
            ok = query.exec();
        }
        if (!ok) {
            Out() << "bench_clientload: " << query.lastError().text() << Qt::endl;
        }
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("computers"));
    return ok;
}

class Bench
{
public:
    Bench(const Sizes &Sizes, MainForm &Window, LoadDriver &Driver, quint16 Port)
        : m_sizes(Sizes)
        , m_window(Window)
        , m_driver(Driver)
        , m_port(Port)
        , m_plain([&Window](const QString &ip, const MessagePackPtr &pack) {
            Window.Requests()->IncomingRequest(ip, pack);
        })
    {
        m_plainPort = FreePort();
        m_plain.Listen(m_plainPort);
    }

    void Rates()
    {
        Out() << "(a) fresh connections, " << ProbeConcurrency << " at a time, " << m_sizes.RateSeconds << " s each"
              << Qt::endl;
        RateLine("    accepts (probe answered by the control itself)", 0, QString());
        RateLine("    state reports (the program's handler)", StateReport, QStringLiteral("0"));
    }

    void Load()
    {
        const double periodMs = MsPerSecond / m_sizes.Compression;
        const double seconds = m_sizes.LoadMinutes * StatusMinuteMs / MsPerSecond / m_sizes.Compression;
        Out() << "(b) " << m_sizes.LoadClients << " clients reporting every " << Number(periodMs) << " ms for "
              << Number(seconds) << " s, status polls every "
              << Number(StatusMinuteMs / m_sizes.Compression / MsPerSecond) << " s (" << m_sizes.LoadMinutes
              << " minutes compressed " << m_sizes.Compression << " times)" << Qt::endl;
        Purge();
        QTimer *status = m_window.StatusCheckInterval();
        status->start(int(StatusMinuteMs / m_sizes.Compression));
        const LoadDriver::Result load = m_driver.Run(Periodic(m_port, periodMs, seconds));
        status->start(int(StatusMinuteMs));
        const LoadDriver::Result plain = m_driver.Run(Periodic(m_plainPort, periodMs, seconds / 3));
        const double p99 = Percentile(load.LatenciesMs, 0.99);
        const double plainP99 = Percentile(plain.LatenciesMs, 0.99);
        Out() << "    program: " << Latencies(load) << Qt::endl;
        Out() << "    plain QTcpServer, no polls, a third as long: " << Latencies(plain) << Qt::endl;
        Out() << "    p99 " << Number(p99, 2) << " ms (target at most 50 ms), ratio to plain "
              << Number(p99 / plainP99, 2) << Qt::endl;
    }

    void Flood()
    {
        Out() << "(c) one connection sends " << m_sizes.Flood
              << " state reports and reads no answer; another client reports every " << FloodReporterPeriodMs << " ms"
              << Qt::endl;
        Purge();
        LoadDriver::Job quiet = Periodic(m_port, FloodReporterPeriodMs, 2);
        quiet.Clients = 1;
        const LoadDriver::Result alone = m_driver.Run(quiet);

        const QString flooder = LoadDriver::ClientIP(FirstClient, 1);
        auto handled = std::make_shared<std::atomic<qint64>>(0);
        const QMetaObject::Connection counting =
            QObject::connect(m_window.Control(),
                             &Quorvhandler::IncomingRequest,
                             m_window.Control(),
                             [handled, flooder](const QString &ip, const MessagePackPtr &) {
                                 if (ip == flooder) {
                                     ++*handled;
                                 }
                             });
        LoadDriver::Job flood = quiet;
        flood.What = LoadDriver::Job::Kind::Flood;
        flood.FloodClient = 1;
        flood.Count = m_sizes.Flood;
        flood.Seconds = m_sizes.Flood / 1000.0;
        flood.FloodHandled = [handled] {
            return handled->load();
        };
        const LoadDriver::Result during = m_driver.Run(flood);
        QObject::disconnect(counting);
        const double worst = Percentile(during.LatenciesMs, 1.0);
        const double worstAlone = Percentile(alone.LatenciesMs, 1.0);
        Out() << "    flood handled " << handled->load() << " of " << m_sizes.Flood << " in "
              << Number(during.Seconds, 2) << " s" << Qt::endl;
        Out() << "    reporter during the flood: " << Latencies(during) << Qt::endl;
        Out() << "    reporter alone for 2 s:    " << Latencies(alone) << Qt::endl;
        Out() << "    worst " << Number(worst, 2) << " ms (target at most 50 ms), ratio to alone "
              << Number(worst / worstAlone, 2) << Qt::endl;
    }

    void ClosedSlotsPurge()
    {
        Out() << "(d) purge of " << ClosedSlots << " closed slots, inside the status query that runs it" << Qt::endl;
        Purge();
        m_driver.Run(Count(0, QString(), ClosedSlots, ProbeConcurrency));
        Wait(SettleMs);
        const qsizetype slotCount = m_window.Control()->SlotCount();
        const QString ip = LoadDriver::ClientIP(FirstClient, 0);
        QElapsedTimer timer;
        timer.start();
        m_window.Protocol()->GetClientState(ip);
        const double withPurge = double(timer.nsecsElapsed()) / 1e6;
        const qsizetype after = m_window.Control()->SlotCount();
        timer.restart();
        m_window.Protocol()->GetClientState(ip);
        const double plain = double(timer.nsecsElapsed()) / 1e6;
        Out() << "    " << slotCount << " slots before, " << after << " after; status query " << Number(withPurge, 2)
              << " ms, the same with nothing to purge " << Number(plain, 2) << " ms" << Qt::endl;
        Out() << "    purge " << Number(withPurge - plain, 2) << " ms (target at most 20 ms), ratio "
              << Number(withPurge / plain, 2) << Qt::endl;
    }

    void Memory()
    {
        Out() << "(e) resident memory around a storm of " << StormConnections << " state reports, " << StormConcurrency
              << " connections at a time" << Qt::endl;
        Purge();
        Wait(SettleMs);
        const qint64 before = LoadDriver::ResidentBytes();
        const LoadDriver::Result storm =
            m_driver.Run(Count(StateReport, QStringLiteral("0"), StormConnections, StormConcurrency));
        const qint64 atEnd = LoadDriver::ResidentBytes();
        const qsizetype slotCount = m_window.Control()->SlotCount();
        Wait(AfterStormMs);
        const qint64 after = LoadDriver::ResidentBytes();
        const double megabytes = double(after - before) / BytesPerMegabyte;
        Out() << "    storm " << Number(storm.Seconds, 2) << " s, " << storm.Completed << " answered, " << storm.Failed
              << " failed, " << slotCount << " slots left for the next purge" << Qt::endl;
        Out() << "    RSS before " << Number(double(before) / BytesPerMegabyte) << " MB, peak "
              << Number(double(qMax(storm.PeakRss, atEnd)) / BytesPerMegabyte) << " MB, 10 s after "
              << Number(double(after) / BytesPerMegabyte) << " MB: " << (megabytes >= 0 ? "+" : "") << Number(megabytes)
              << " MB (target within 10 MB), ratio after/before " << Number(double(after) / double(before), 3)
              << Qt::endl;
    }

private:
    LoadDriver::Job Periodic(quint16 Port, double PeriodMs, double Seconds) const
    {
        LoadDriver::Job job;
        job.What = LoadDriver::Job::Kind::Periodic;
        job.Port = Port;
        job.Header = StateReport;
        job.Message = QStringLiteral("0");
        job.PeriodMs = PeriodMs;
        job.Seconds = Seconds;
        job.Clients = m_sizes.LoadClients;
        return job;
    }

    LoadDriver::Job Count(quint8 Header, const QString &Message, qint64 Connections, int Concurrency) const
    {
        LoadDriver::Job job;
        job.What = LoadDriver::Job::Kind::Count;
        job.Port = m_port;
        job.Header = Header;
        job.Message = Message;
        job.Count = Connections;
        job.Concurrency = Concurrency;
        job.Clients = Computers;
        return job;
    }

    double Rate(quint16 Port, quint8 Header, const QString &Message)
    {
        LoadDriver::Job job;
        job.What = LoadDriver::Job::Kind::Rate;
        job.Port = Port;
        job.Header = Header;
        job.Message = Message;
        job.Concurrency = ProbeConcurrency;
        job.Seconds = m_sizes.RateSeconds;
        job.Clients = Computers;
        const LoadDriver::Result result = m_driver.Run(job);
        if (result.Failed > 0) {
            Out() << "    (" << result.Failed << " exchanges failed)" << Qt::endl;
        }
        return double(result.Completed) / result.Seconds;
    }

    void RateLine(const char *What, quint8 Header, const QString &Message)
    {
        Purge();
        const double control = Rate(m_port, Header, Message);
        const double plain = Rate(m_plainPort, Header, Message);
        Out() << What << ": program " << Number(control, 0) << "/s, plain " << Number(plain, 0) << "/s, ratio "
              << Number(control / plain, 2) << " (target at least 0.50)" << Qt::endl;
    }

    // The closed slots of the previous step go, as they do before every dialog.
    void Purge()
    {
        Wait(SettleMs);
        m_window.Protocol()->GetClientState(LoadDriver::ClientIP(FirstClient, 0));
    }

    Sizes m_sizes;
    MainForm &m_window;
    LoadDriver &m_driver;
    quint16 m_port;
    quint16 m_plainPort = 0;
    PlainServer m_plain;
};
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Sizes sizes;
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QLatin1String("reduced")) {
        sizes.RateSeconds = 0.5;
        sizes.LoadClients = Computers / 2;
        sizes.Compression = 12;
        sizes.Flood = 20000;
    }
    QTemporaryDir folder;
    if (!PrepareDatabase(folder)) {
        Out() << "bench_clientload: the database could not be prepared" << Qt::endl;
        return 1;
    }
    constexpr int PortAttempts = 20;
    quint16 port = 0;
    std::unique_ptr<LoadDriver> driver;
    QString error;
    for (int attempt = 0; attempt < PortAttempts && !driver; ++attempt) {
        port = FreePort();
        driver = std::make_unique<LoadDriver>(FirstClient, Computers);
        if (!driver->Start(port, error)) {
            driver.reset();
        }
    }
    if (!driver) {
        Out() << "bench_clientload: the simulated clients cannot listen: " << error << Qt::endl;
        return 1;
    }
    Program program(Options(folder, port));
    if (!program.Start({QStringLiteral("quillmarsh")})) {
        Out() << "bench_clientload: the program did not start" << Qt::endl;
        return 1;
    }
    Out() << "bench_clientload" << (argc > 1 ? " (reduced)" : "") << ": " << Computers
          << " computers, the program on 127.0.0.1:" << port << Qt::endl;
    {
        Bench bench(sizes, *program.Window(), *driver, port);
        bench.Rates();
        bench.Load();
        bench.Flood();
        bench.ClosedSlotsPurge();
        bench.Memory();
    }
    program.Window()->close();
    return 0;
}
