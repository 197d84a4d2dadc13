// The relay's throughput and CPU against the peers a club would otherwise run, in one run on this
// machine: curl fetches from the test origin (1) through the program's relay with the origin as
// its outer proxy, (2) through tinyproxy, (3) directly, and (4) through the relay and tinyproxy in
// a row. Each way carries one large transfer and then many concurrent ones, spread over as many club
// computers as the relay lets hold them (Proxy::ClubConnectionsPerAddress each). The relay runs with
// the program's own handlers over a database with those computers, whose seances have the internet.
// Usage: bench_relay [megabytes of the large transfer] [concurrent transfers] [megabytes each]
#include "clock.h"
#include "core/settingsstore.h"
#include "core/window/mainform.h"
#include "core/window/mainframe.h"
#include "coredatabase.h"
#include "localservice.h"
#include "proxy/proxy.h"
#include "seances/computersframe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr qint64 Megabyte = 1024 * 1024;
constexpr int CurlWaitMs = 600000;
constexpr qint64 DefaultLargeMegabytes = 512;
constexpr int DefaultConcurrent = 100;
constexpr qint64 DefaultEachMegabytes = 10;

// CPU seconds of this process so far.
double OwnCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of another process (all its threads) so far.
double ProcessCpuSeconds(qint64 Pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(Pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    constexpr int UserTime = 11;
    constexpr int SystemTime = 12;
    if (fields.size() <= SystemTime) {
        return 0;
    }
    return double(fields.at(UserTime).toLongLong() + fields.at(SystemTime).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

struct Way
{
    QString Name;
    // The proxy curl uses; empty for none.
    quint16 ProxyPort = 0;
};

struct Measure
{
    double Seconds = 0;
    qint64 Bytes = 0;
    double RelayCpu = 0;
    double TinyproxyCpu = 0;

    double Throughput() const
    {
        return Seconds > 0 ? double(Bytes) / Megabyte / Seconds : 0;
    }
};

// The address of club computer Number (from 1).
QString ComputerAddress(int Number)
{
    return QStringLiteral("127.0.0.%1").arg(Number + 1);
}

// The club computers that Count transfers at once take.
int ComputersFor(int Count)
{
    return (Count + Proxy::ClubConnectionsPerAddress - 1) / Proxy::ClubConnectionsPerAddress;
}

// Starts one curl from Address on the given transfers, all at once.
void StartCurl(QProcess &Curl, const QString &Address, const Way &Way, quint16 OriginPort, qint64 Size, int Count)
{
    QStringList arguments{QStringLiteral("-s"), QStringLiteral("--interface"), Address};
    if (Way.ProxyPort != 0) {
        arguments << QStringLiteral("--proxy") << QStringLiteral("http://127.0.0.1:%1").arg(Way.ProxyPort);
    }
    if (Count > 1) {
        arguments << QStringLiteral("-Z") << QStringLiteral("--parallel-max") << QString::number(Count);
    }
    arguments << QStringLiteral("-w") << QStringLiteral("%{size_download}\\n");
    for (int i = 0; i < Count; ++i) {
        arguments << QStringLiteral("-o") << QStringLiteral("/dev/null")
                  << QStringLiteral("http://127.0.0.1:%1/size/%2").arg(OriginPort).arg(Size);
    }
    Curl.start(QStringLiteral("curl"), arguments);
}

// Runs the transfers, all at once, spread over the club computers they take; the bytes fetched, -1
// on a failure.
qint64 RunCurl(const Way &Way, quint16 OriginPort, qint64 Size, int Count)
{
    const int computers = ComputersFor(Count);
    std::vector<std::unique_ptr<QProcess>> curls;
    // A plain event loop: the relay runs in this thread, and a polling wait would sleep between its
    // events.
    QEventLoop wait;
    int running = computers;
    for (int computer = 0; computer < computers; ++computer) {
        auto &curl = curls.emplace_back(std::make_unique<QProcess>());
        QObject::connect(curl.get(), &QProcess::finished, &wait, [&] {
            if (--running == 0) {
                wait.quit();
            }
        });
        QObject::connect(curl.get(), &QProcess::errorOccurred, &wait, &QEventLoop::quit);
        // The first computers take one transfer more where they do not divide evenly.
        const int share = Count / computers + (computer < Count % computers ? 1 : 0);
        StartCurl(*curl, ComputerAddress(computer + 1), Way, OriginPort, Size, share);
    }
    QTimer::singleShot(CurlWaitMs, &wait, &QEventLoop::quit);
    wait.exec();
    qint64 total = 0;
    for (const auto &curl : curls) {
        if (curl->state() != QProcess::NotRunning || curl->exitStatus() != QProcess::NormalExit
            || curl->exitCode() != 0) {
            return -1;
        }
        for (const QByteArray &line : curl->readAllStandardOutput().split('\n')) {
            total += line.trimmed().toLongLong();
        }
    }
    return total;
}

Measure Run(const Way &Way, quint16 OriginPort, qint64 TinyproxyPid, qint64 Size, int Count)
{
    Measure measure;
    const double cpu = OwnCpuSeconds();
    const double tinyproxyCpu = ProcessCpuSeconds(TinyproxyPid);
    QElapsedTimer timer;
    timer.start();
    measure.Bytes = RunCurl(Way, OriginPort, Size, Count);
    measure.Seconds = double(timer.nsecsElapsed()) / 1e9;
    measure.RelayCpu = OwnCpuSeconds() - cpu;
    measure.TinyproxyCpu = ProcessCpuSeconds(TinyproxyPid) - tinyproxyCpu;
    return measure;
}

double CpuPerMegabyte(double Cpu, qint64 Bytes)
{
    return Bytes > 0 ? Cpu * 1000 / (double(Bytes) / Megabyte) : 0;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const qint64 large = (args.size() > 1 ? args.at(1).toLongLong() : DefaultLargeMegabytes) * Megabyte;
    const int concurrent = args.size() > 2 ? args.at(2).toInt() : DefaultConcurrent;
    const qint64 each = (args.size() > 3 ? args.at(3).toLongLong() : DefaultEachMegabytes) * Megabyte;

    QString err;
    const auto origin = LocalService::StartOrigin(err);
    const auto tinyproxy = origin ? LocalService::StartTinyProxy(origin->Port(), err) : nullptr;
    if (!tinyproxy) {
        std::fprintf(stderr, "bench_relay: %s\n", qPrintable(err));
        return 1;
    }
    CoreDatabase database;
    if (!database.StartAsProgram(err)) {
        std::fprintf(stderr, "bench_relay: %s\n", qPrintable(err));
        return 1;
    }
    const qint32 desktop =
        database.Add(QStringLiteral("Desktops"),
                     {{QStringLiteral("Name"), QStringLiteral("Интернет")}, {QStringLiteral("IsInternet"), 1}});
    const qint32 rate = database.AddRate(QStringLiteral("Дневной"), 0, 60);
    const QDateTime now = Clock::Now();
    const int computers = ComputersFor(concurrent);
    QList<qint32> seances;
    for (int number = 1; number <= computers; ++number) {
        const qint32 computer =
            database.Add(QStringLiteral("Computers"),
                         {{QStringLiteral("Num"), number}, {QStringLiteral("IP"), ComputerAddress(number)}});
        seances.append(database.AddSeance(computer, desktop, rate, now.addSecs(-600), now.addSecs(24 * 3600)));
    }
    GetComputerCode(0, true);
    const quint16 relayPort = LocalService::FreePort();
    SetConfigValue(QStringLiteral("InternetAvailable"), QStringLiteral("1"));
    SetConfigValue(QStringLiteral("ProxyPort"), QString::number(relayPort));
    SetConfigValue(QStringLiteral("OuterProxyIP"), QStringLiteral("127.0.0.1"));
    SetConfigValue(QStringLiteral("OuterProxyPort"), QString::number(origin->Port()));

    MainForm window;
    if (!window.Load(0, QHostAddress(QStringLiteral("127.0.0.1"))) || !window.Relay()->IsActive()) {
        std::fprintf(stderr, "bench_relay: the relay did not start\n");
        return 1;
    }
    // The tiles come once the window is on the screen; the relay asks them for the seance.
    window.show();
    if (!QTest::qWaitFor([&] { return window.Computers()->Panel()->ComputerControlExists(computers); })) {
        std::fprintf(stderr, "bench_relay: the computers' tiles did not come\n");
        return 1;
    }
    for (int number = 1; number <= computers; ++number) {
        window.Computers()->SetUserState(number, seances.at(number - 1));
    }

    const Way relay{QStringLiteral("relay -> origin"), relayPort};
    const Way viaTinyproxy{QStringLiteral("tinyproxy -> origin"), tinyproxy->Port()};
    const Way direct{QStringLiteral("direct"), 0};
    const Way chain{QStringLiteral("relay -> tinyproxy -> origin"), relayPort};
    const qint64 tinyproxyPid = tinyproxy->ProcessId();

    struct Load
    {
        QString Name;
        qint64 Size;
        int Count;
    };

    const QList<Load> loads{
        {QStringLiteral("one transfer of %1 MB").arg(large / Megabyte), large, 1},
        {QStringLiteral("%1 concurrent transfers of %2 MB").arg(concurrent).arg(each / Megabyte), each, concurrent}};
    bool ok = true;
    for (const Load &load : loads) {
        window.Relay()->SetOuterProxyPort(origin->Port());
        const Measure r = Run(relay, origin->Port(), tinyproxyPid, load.Size, load.Count);
        const Measure t = Run(viaTinyproxy, origin->Port(), tinyproxyPid, load.Size, load.Count);
        const Measure d = Run(direct, origin->Port(), tinyproxyPid, load.Size, load.Count);
        window.Relay()->SetOuterProxyPort(tinyproxy->Port());
        const Measure c = Run(chain, origin->Port(), tinyproxyPid, load.Size, load.Count);
        const qint64 expected = load.Size * load.Count;
        std::printf("%s\n", qPrintable(load.Name));
        for (const auto &[way, measure] :
             {std::pair{relay, r}, std::pair{viaTinyproxy, t}, std::pair{direct, d}, std::pair{chain, c}}) {
            std::printf("  %-30s %9.1f MB/s  %6.2f s  %s\n",
                        qPrintable(way.Name),
                        measure.Throughput(),
                        measure.Seconds,
                        measure.Bytes == expected ? "complete" : "INCOMPLETE");
            ok = ok && measure.Bytes == expected;
        }
        std::printf("  relay / tinyproxy throughput:                   %.2f (target >= 1.0)\n",
                    r.Throughput() / t.Throughput());
        std::printf("  relay / direct throughput:                      %.2f (target >= 0.8)\n",
                    r.Throughput() / d.Throughput());
        std::printf("  relay + tinyproxy / tinyproxy throughput:       %.2f (target >= 0.7)\n",
                    c.Throughput() / t.Throughput());
        std::printf("  CPU ms per MB: relay %.2f, tinyproxy %.2f (target: relay <= tinyproxy)\n",
                    CpuPerMegabyte(r.RelayCpu, r.Bytes),
                    CpuPerMegabyte(t.TinyproxyCpu, t.Bytes));
    }
    window.ForceUnload();
    return ok ? 0 : 1;
}
