#pragma once

#include "chaoscounts.h"
#include "chaosscript.h"

#include <QString>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Pelloxan
{
class MessagePack;
}

// The club's computers and the strangers of the chaos driver: plain non-blocking sockets on one
// epoll loop. Every club computer listens at the program's port on its own address and answers the
// program's dialogs; in chaos mode the driver keeps many connections open to the program's client
// and relay ports, each following a plan of the script, and meets the program's dialogs with
// resets, cuts and garbage as often as with answers.
class ChaosPeers final
{
public:
    enum class Mode
    {
        Serve,  // dialogs answered truthfully, connections kept
        Settle, // dialogs answered truthfully, then closed
        Chaos   // connections launched; dialogs met at random
    };

    ChaosPeers(ChaosScript &Script, ChaosCounts &Counts);
    ~ChaosPeers();
    ChaosPeers(const ChaosPeers &) = delete;
    ChaosPeers &operator=(const ChaosPeers &) = delete;

    // Listens at ControlPort on every club computer's address; false with the reason.
    bool Listen(quint16 ControlPort, quint16 RelayPort, QString &ErrString);
    void SetMode(Mode Mode, int ControlConnections = 0, int RelayConnections = 0);
    // Runs the loop until Done holds or Seconds pass; false when the time ran out first.
    bool RunUntil(const std::function<bool()> &Done, double Seconds);
    // One state report of the club computer at Address on a fresh connection: milliseconds from
    // the connect to the whole answer, or -1 when it did not come within Seconds of the connect.
    double StateReportMs(int Address, double Seconds);
    // Closes every connection of the driver's side; the listeners stay.
    void CloseConnections();
    // Connections of the driver's that a chaos plan still runs.
    int RunningPlans() const;

private:
    struct Peer;

    Peer *Add(std::unique_ptr<Peer> Peer);
    void Watch(Peer &Peer, bool Writing) const;
    void Retire(Peer &Peer, bool Reset);
    void Turn(int TimeoutMs);
    void Launch(const ChaosPlan &Plan, bool Probe);
    void LaunchMissing();
    void Accept(Peer &Listener);
    void Connected(Peer &Client);
    void WriteNextPiece(Peer &Client);
    void Written(Peer &Client);
    void Flush(Peer &Peer);
    void ReadClient(Peer &Client);
    void CountAnswers(Peer &Client);
    void ClientProgress(Peer &Client);
    void End(Peer &Client, bool Reached);
    void ReadDialog(Peer &Dialog);
    bool HandleDialogRequest(Peer &Dialog, Pelloxan::MessagePack &Request);
    void DialogSeen(int Address);
    void CheckTimers();
    ChaosCounts::PortCounts &PortOf(const Peer &Client) const;

    ChaosScript &m_script;
    ChaosCounts &m_counts;
    int m_epoll = -1;
    quint16 m_controlPort = 0;
    quint16 m_relayPort = 0;
    Mode m_mode = Mode::Serve;
    int m_controlTarget = 0;
    int m_relayTarget = 0;
    int m_controlRunning = 0;
    int m_relayRunning = 0;
    std::unordered_map<Peer *, std::unique_ptr<Peer>> m_peers;
    // Peers ended during a turn, freed after it: an event of the same turn may still name them.
    std::vector<std::unique_ptr<Peer>> m_retired;
    double m_probeMs = -1;
    bool m_probeDone = false;
    // How long the state report under way may take, from its connect to its answer.
    qint64 m_probeWaitNs = 0;
};
