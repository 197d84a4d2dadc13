// The chaos driver: the real program on a club of its own (an embedded database in a temporary
// data folder, its control on 127.0.0.1, the relay on with tinyproxy as the outer proxy) under many
// hostile connections at once for a bounded time, from the club's computers and from unknown
// loopback addresses (tests/support/chaos/chaospeers.h). A club computer's state report, sent every
// second of the storm and after it, must be answered within AnswerBoundSeconds; at the end the
// program must be alive, hold as many descriptors as before, and its database must hold nothing that
// no peer may cause. Any failure, the program's death among them (a sanitizer's report ends it),
// makes the exit code non-zero. The answer times are printed as figures, not judged: they depend on
// the machine.
// Usage: chaosdriver <quillmarsh executable> [seconds, 60] [seed, random]
#include "chaosclub.h"
#include "chaospeers.h"
#include "localservice.h"
#include "programprocess.h"
#include "tablesnapshot.h"
#include "testnetwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace
{
constexpr double DefaultSeconds = 60;
constexpr int ControlConnections = 48;
constexpr int RelayConnections = 16;
constexpr double StartSeconds = 60;
constexpr double ProbeSeconds = 10;
constexpr double WindDownSeconds = 15;
constexpr double DescriptorSeconds = 20;
// Longer than the program's wait for one answer (20 s), which a dialog under way at the end may take.
constexpr double StopSeconds = 45;
constexpr qint64 StableMs = 1000;
constexpr int ListenCheckEveryMs = 200;
constexpr int PortAttempts = 20;
constexpr int LatencyProbes = 5;
// A state report not answered within this, from the connect, finds the program stuck. A club
// computer waits 20 s for an answer (its socket control's default) before it takes the server for
// gone; half of that still reaches it in time. Under the sanitizers on a shared 8-core machine the
// slowest answer during the storm took 1.3 s (median 170 ms) and after it under 1 ms, so a loaded
// machine has room while a program that stops answering fails.
constexpr double AnswerBoundSeconds = 10;
// How often a state report is sent while the storm goes on.
constexpr double StormProbeEverySeconds = 1;
constexpr double BytesPerMegabyte = 1024.0 * 1024.0;
constexpr double MsPerSecond = 1000;
// The club computer whose answer times are measured: not the one whose seance has the internet.
constexpr int CheckedComputer = 1;

QTextStream &Out()
{
    static QTextStream out(stdout);
    return out;
}

struct Setup
{
    std::unique_ptr<LocalService> Origin;
    std::unique_ptr<LocalService> Outer;
    quint16 OuterPort = 0;
};

// The outer proxy: tinyproxy in front of the test origin, or the origin itself (which answers
// absolute URLs) where tinyproxy is missing.
bool StartOuterProxy(Setup &Setup, QString &ErrString)
{
    Setup.Origin = LocalService::StartOrigin(ErrString);
    if (!Setup.Origin) {
        return false;
    }
    QString missing;
    Setup.Outer = LocalService::StartTinyProxy(Setup.Origin->Port(), missing);
    if (!Setup.Outer) {
        Out() << "chaosdriver: no tinyproxy (" << missing << "); the origin stands as the outer proxy" << Qt::endl;
    }
    Setup.OuterPort = Setup.Outer ? Setup.Outer->Port() : Setup.Origin->Port();
    return true;
}

class Driver
{
public:
    Driver(const QString &Executable, double Seconds, quint64 Seed)
        : m_seconds(Seconds)
        , m_seed(Seed)
        , m_program(Executable)
    {
    }

    bool Run()
    {
        return Prepare() && StartProgram() && WarmUp() && Chaos() && Checks();
    }

    void Report()
    {
        Out() << "chaosdriver: seed " << m_seed << ", " << m_seconds << " s of chaos, " << ControlConnections
              << " client-port and " << RelayConnections << " relay connections at a time, " << ChaosClub::Computers
              << " club computers and " << ChaosClub::Strangers << " unknown addresses" << Qt::endl;
        m_counts.Print(Out());
        Out() << "state report answered (bound " << AnswerBoundSeconds << " s) during the storm in "
              << Latencies(m_stormMs) << "; after it in " << Latencies(m_latenciesMs) << Qt::endl;
        Out() << "end state: program " << (m_aliveAtEnd ? "alive" : "NOT alive")
              << "; descriptors (sockets, files, pipes) " << m_descriptorsBefore << " before, " << m_descriptorsAfter
              << " after; RSS " << QString::number(double(m_rssBefore) / BytesPerMegabyte, 'f', 1) << " MB before, "
              << QString::number(double(m_rssAfter) / BytesPerMegabyte, 'f', 1) << " MB after" << Qt::endl;
        Out() << "database rows before: " << m_before.Counts() << Qt::endl;
        Out() << "database rows after:  " << m_after.Counts() << Qt::endl;
        for (const QString &failure : std::as_const(m_failures)) {
            Out() << "FAILED: " << failure << Qt::endl;
        }
        Out() << (m_failures.isEmpty() ? "chaosdriver: passed" : "chaosdriver: FAILED") << Qt::endl;
    }

    bool Passed() const
    {
        return m_failures.isEmpty();
    }

private:
    bool Fail(const QString &Failure)
    {
        m_failures.append(Failure);
        return false;
    }

    bool Alive()
    {
        m_alive = m_program.IsRunning();
        return m_alive;
    }

    bool Prepare()
    {
        QString error;
        if (!StartOuterProxy(m_setup, error)) {
            return Fail(error);
        }
        const quint16 relayPort = LocalService::FreePort();
        if (!m_club.Prepare(relayPort, m_setup.OuterPort, error)) {
            return Fail(QStringLiteral("the database: ") + error);
        }
        m_script = std::make_unique<ChaosScript>(m_seed, m_club.Addresses(m_setup.Origin->Port()));
        for (int attempt = 0; attempt < PortAttempts; ++attempt) {
            m_controlPort = TestNetwork::FreeServerPort();
            m_relayPort = relayPort;
            m_peers = std::make_unique<ChaosPeers>(*m_script, m_counts);
            if (m_peers->Listen(m_controlPort, m_relayPort, error)) {
                return true;
            }
        }
        return Fail(QStringLiteral("the club computers cannot listen: ") + error);
    }

    bool StartProgram()
    {
        QString error;
        if (!m_program.Start(m_club.DataFolder(), m_controlPort, error)) {
            return Fail(error);
        }
        // The program asks the club's computers for their states as it starts: they answer meanwhile.
        QElapsedTimer sinceCheck;
        sinceCheck.start();
        const bool up = m_peers->RunUntil(
            [&] {
                if (!Alive()) {
                    return true;
                }
                if (sinceCheck.elapsed() < ListenCheckEveryMs) {
                    return false;
                }
                sinceCheck.restart();
                return ProgramProcess::Listens(m_controlPort) && ProgramProcess::Listens(m_relayPort);
            },
            StartSeconds);
        if (!m_alive) {
            return Fail(QStringLiteral("the program ") + m_program.Ending() + QStringLiteral(" as it started"));
        }
        return up || Fail(QStringLiteral("the program does not listen at its client and relay ports"));
    }

    // Every club computer reports its state once, so the program has sent the settings to each; then
    // the program's own connections to them close and its descriptors and database are taken.
    bool WarmUp()
    {
        for (int computer = 0; computer < ChaosClub::Computers; ++computer) {
            if (m_peers->StateReportMs(computer, ProbeSeconds) < 0) {
                return Fail(
                    QStringLiteral("no answer to the first state report of club computer %1").arg(computer + 1));
            }
        }
        if (!Settle()) {
            return false;
        }
        m_descriptorsAtStart = Held();
        m_descriptorsBefore = m_descriptorsAtStart.size();
        m_rssBefore = m_program.ResidentBytes();
        QString error;
        return m_before.Take(m_club.DatabaseFile(), error) || Fail(QStringLiteral("the database: ") + error);
    }

    // Waits until the program's descriptors have stood still for a while; a failure is recorded.
    bool Settle()
    {
        m_peers->SetMode(ChaosPeers::Mode::Settle);
        m_peers->CloseConnections();
        qsizetype last = -1;
        QElapsedTimer still;
        still.start();
        const bool settled = m_peers->RunUntil(
            [&] {
                const qsizetype count = Held().size();
                if (count != last) {
                    last = count;
                    still.restart();
                }
                return !Alive() || still.elapsed() >= StableMs;
            },
            DescriptorSeconds);
        if (!m_alive) {
            return Fail(QStringLiteral("the program ") + m_program.Ending());
        }
        return settled || Fail(QStringLiteral("the program's descriptors do not settle"));
    }

    bool Chaos()
    {
        Out() << "chaosdriver: seed " << m_seed << " (replay with: chaosdriver <program> " << m_seconds << " " << m_seed
              << ")" << Qt::endl;
        m_peers->SetMode(ChaosPeers::Mode::Chaos, ControlConnections, RelayConnections);
        // The storm goes on while a state report is under way.
        QElapsedTimer storm;
        storm.start();
        while (Alive() && double(storm.elapsed()) < m_seconds * MsPerSecond) {
            m_stormMs.append(m_peers->StateReportMs(CheckedComputer, AnswerBoundSeconds));
            m_peers->RunUntil([this] { return !Alive(); }, StormProbeEverySeconds);
        }
        if (m_stormMs.contains(-1)) {
            Fail(QStringLiteral(
                     "%1 of %2 state reports of a club computer during the storm were not answered within %3 s")
                     .arg(m_stormMs.count(-1))
                     .arg(m_stormMs.size())
                     .arg(AnswerBoundSeconds));
        }
        m_peers->SetMode(ChaosPeers::Mode::Settle);
        m_peers->RunUntil([this] { return !Alive() || m_peers->RunningPlans() == 0; }, WindDownSeconds);
        m_peers->CloseConnections();
        if (!m_alive) {
            return Fail(QStringLiteral("the program ") + m_program.Ending() + QStringLiteral(" under the chaos"));
        }
        return true;
    }

    bool Checks()
    {
        // What the chaos left under way (the program's own dialogs with the club's computers, which
        // answer again now) is worked off first, as after the warm-up: the answer time is that of
        // the program once the storm is over, not of a request queued behind the storm's last work.
        Settle();
        m_peers->StateReportMs(CheckedComputer, AnswerBoundSeconds);
        for (int probe = 0; probe < LatencyProbes; ++probe) {
            m_latenciesMs.append(m_peers->StateReportMs(CheckedComputer, AnswerBoundSeconds));
        }
        if (m_latenciesMs.contains(-1)) {
            Fail(QStringLiteral("a state report of a club computer after the storm was not answered within %1 s")
                     .arg(AnswerBoundSeconds));
        }
        CheckDescriptors();
        m_rssAfter = m_program.ResidentBytes();
        m_aliveAtEnd = Alive();
        // The club's computers go on answering while the program ends: it may finish a dialog first.
        m_program.Terminate();
        m_peers->RunUntil([this] { return !Alive(); }, StopSeconds);
        QString error;
        if (!m_program.EndedCleanly(error)) {
            Fail(error);
        }
        if (!m_after.Take(m_club.DatabaseFile(), error)) {
            return Fail(QStringLiteral("the database: ") + error);
        }
        for (const QString &fault : m_before.Forbidden(m_after, m_club.ComputerCodes())) {
            Fail(QStringLiteral("the database: ") + fault);
        }
        return Passed();
    }

    // The program's descriptors that a peer could leave open: sockets, files and pipes. The event
    // and wake-up descriptors of Qt's worker threads come and go with the threads' idle time-out.
    QStringList Held() const
    {
        QStringList held = m_program.Descriptors();
        held.removeIf([](const QString &descriptor) { return descriptor.contains(QLatin1String(" anon_inode:")); });
        return held;
    }

    void CheckDescriptors()
    {
        m_peers->SetMode(ChaosPeers::Mode::Settle);
        const bool back = m_peers->RunUntil(
            [this] {
                m_descriptorsAfter = Held().size();
                return m_descriptorsAfter == m_descriptorsBefore;
            },
            DescriptorSeconds);
        if (back) {
            return;
        }
        QStringList added = Held();
        QStringList gone;
        for (const QString &descriptor : std::as_const(m_descriptorsAtStart)) {
            if (!added.removeOne(descriptor)) {
                gone.append(descriptor);
            }
        }
        Fail(QStringLiteral("the program holds %1 descriptors, %2 before the chaos; new: %3; gone: %4")
                 .arg(m_descriptorsAfter)
                 .arg(m_descriptorsBefore)
                 .arg(added.join(QStringLiteral(", ")), gone.join(QStringLiteral(", "))));
    }

    // The median and the slowest of the answers that came, and how many did not.
    static QString Latencies(const QList<double> &Ms)
    {
        QList<double> answered = Ms;
        answered.removeAll(-1);
        std::sort(answered.begin(), answered.end());
        const QString missing =
            QStringLiteral(" (%1 probes, %2 unanswered)").arg(Ms.size()).arg(Ms.size() - answered.size());
        if (answered.isEmpty()) {
            return QStringLiteral("no answer") + missing;
        }
        return QStringLiteral("median %1 ms, slowest %2 ms")
                   .arg(answered.at(answered.size() / 2), 0, 'f', 2)
                   .arg(answered.last(), 0, 'f', 2)
               + missing;
    }

    double m_seconds;
    quint64 m_seed;
    Setup m_setup;
    ChaosClub m_club;
    ProgramProcess m_program;
    ChaosCounts m_counts;
    std::unique_ptr<ChaosScript> m_script;
    std::unique_ptr<ChaosPeers> m_peers;
    quint16 m_controlPort = 0;
    quint16 m_relayPort = 0;
    bool m_alive = false;
    bool m_aliveAtEnd = false;
    qsizetype m_descriptorsBefore = 0;
    qsizetype m_descriptorsAfter = 0;
    QStringList m_descriptorsAtStart;
    qint64 m_rssBefore = 0;
    qint64 m_rssAfter = 0;
    // Answer times of the state reports during the storm and after it; -1 for none within the bound.
    QList<double> m_stormMs;
    QList<double> m_latenciesMs;
    TableSnapshot m_before;
    TableSnapshot m_after;
    QStringList m_failures;
};
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        Out() << "usage: chaosdriver <quillmarsh executable> [seconds] [seed]" << Qt::endl;
        return 2;
    }
    const double seconds = arguments.size() > 2 ? arguments.at(2).toDouble() : DefaultSeconds;
    const quint64 seed =
        arguments.size() > 3 ? arguments.at(3).toULongLong() : QRandomGenerator::system()->generate64();
    Driver driver(arguments.at(1), seconds, seed);
    driver.Run();
    driver.Report();
    return driver.Passed() ? 0 : 1;
}
