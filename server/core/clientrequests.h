#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ClientProtocol;
class ComputerStates;
class ProxyControl;

namespace Pelloxan
{
class MessagePack;
} // namespace Pelloxan

// What the client computers ask of the server and the state polling: state reports, started
// shortcuts and desktop passwords from the socket control, the status timer's polls of on-line and
// off-line computers, and the proxy's question for every chunk of a client's internet traffic.
class ClientRequests : public QObject
{
    Q_OBJECT

public:
    ClientRequests(ClientProtocol &Protocol, ComputerStates &States, QObject *parent = nullptr);
    ~ClientRequests() override;

    // The socket control's incoming request; for a request, Mes as left here is the answer.
    void IncomingRequest(const QString &CompIP, const std::shared_ptr<Pelloxan::MessagePack> &Mes);

    // One tick of the status timer: polls on-line computers every "OnLineStatusCheckInterval"
    // ticks and off-line ones every "OffLineStatusCheckInterval" ticks.
    void StatusCheckTick();

    // The client settings or the list of computers were saved.
    void UpdateComputersSettings();

    // Configures the proxy from the settings and starts, restarts or stops it.
    void InitProxy(ProxyControl &Proxy);

    // The proxy's events; Cancel closes the connection pair. RequestArrived refuses a chunk before
    // it is relayed; RequestedURL counts and records what reached the outer proxy.
    void RequestArrived(const QString &ClientIP, bool &Cancel);
    // Whether the computer at ClientIP may use the internet now; nothing is logged.
    void InternetAllowed(const QString &ClientIP, bool &Allowed);
    void RequestedURL(const QString &ClientIP, const QString &URL, qint32 Length, bool &Cancel);
    void ReceivedData(const QString &ClientIP, qint32 Length, bool &Cancel);

    // Adds a Traffic record for a requested URL (nothing for an empty URL). The records of one turn
    // of the event loop are written together at its end, or by FlushTraffic.
    void LogTraffic(qint32 ComputerNum, const QString &URL);
    void FlushTraffic();

private:
    struct TrafficRecord
    {
        qint32 ComputerNum = 0;
        qint32 Computer = 0;
        QDateTime AccessTime;
        QString URL;
    };

    static bool SaveTraffic(const QList<TrafficRecord> &Records, QString &ErrString);
    // Whether the computer Num (0: none) at ClientIP may use the internet now; if not, the main log
    // is told why.
    bool MayUseInternet(qint32 Num, const QString &ClientIP);
    void RefreshIfOffline(qint32 ComputerNum, const QString &IP);
    void PollComputers(bool PollOnline, bool PollOffline);

    ClientProtocol &m_protocol;
    ComputerStates &m_states;
    qint32 m_onlinePollTicks = 0;
    qint32 m_offlinePollTicks = 0;
    bool m_polling = false;
    QList<TrafficRecord> m_traffic;
    QTimer m_trafficFlush;
};
