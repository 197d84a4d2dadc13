#include "core/clientrequests.h"

#include "clock.h"
#include "core/backgrounderror.h"
#include "core/clientmessages.h"
#include "core/clientprotocol.h"
#include "core/computerlookups.h"
#include "core/computerstates.h"
#include "core/databaselink.h"
#include "core/dbvalues.h"
#include "core/desktopdescription.h"
#include "core/errorbox.h"
#include "core/mainlog.h"
#include "core/proxycontrol.h"
#include "core/settingsstore.h"
#include "entitylib.h"
#include "leadingnumber.h"
#include "socketctl.h"

namespace
{
qint32 SettingNumber(const char *Name)
{
    return LeadingInteger(GetConfigValue(QString::fromLatin1(Name)));
}

std::shared_ptr<Rollstrake::DBRecords> AllComputers(const QString &Where)
{
    QString err;
    const auto computers = AllRecords(QStringLiteral("Computers"), err);
    LogDbError(Where, err);
    return computers;
}
} // namespace

ClientRequests::ClientRequests(ClientProtocol &Protocol, ComputerStates &States, QObject *parent)
    : QObject(parent)
    , m_protocol(Protocol)
    , m_states(States)
{
    m_trafficFlush.setSingleShot(true);
    m_trafficFlush.setInterval(0);
    connect(&m_trafficFlush, &QTimer::timeout, this, &ClientRequests::FlushTraffic);
}

ClientRequests::~ClientRequests()
{
    FlushTraffic();
}

void ClientRequests::IncomingRequest(const QString &CompIP, const Pelloxan::MessagePackPtr &Mes)
{
    const qint32 num = GetComputerNumByIP(CompIP);
    if (num == 0 || !Mes) {
        return;
    }
    switch (Mes->Header()) {
    case netUserState:
        m_protocol.SetComputerState(num, AnswerValue(Mes->Message()));
        break;
    case netShortcutStarted:
        RefreshIfOffline(num, CompIP);
        m_states.ShortcutStarted(num, AnswerValue(Mes->Message()));
        break;
    case netDesktopPassword:
        RefreshIfOffline(num, CompIP);
        Mes->SetMessage(GetDesktopByPassword(Mes->Message()));
        break;
    default:
        break;
    }
}

void ClientRequests::RefreshIfOffline(qint32 ComputerNum, const QString &IP)
{
    if (m_states.UserState(ComputerNum) == netStateOffline) {
        m_protocol.SetComputerState(ComputerNum, m_protocol.GetClientState(IP));
    }
}

void ClientRequests::StatusCheckTick()
{
    ++m_onlinePollTicks;
    ++m_offlinePollTicks;
    const bool pollOnline = SettingNumber("OnLineStatusCheckInterval") <= m_onlinePollTicks;
    if (pollOnline) {
        m_onlinePollTicks = 0;
    }
    const bool pollOffline = SettingNumber("OffLineStatusCheckInterval") <= m_offlinePollTicks;
    if (pollOffline) {
        m_offlinePollTicks = 0;
    }
    // A poll asks one computer after another and can outlast a tick; the next tick does not start a
    // second poll inside it.
    if ((pollOnline || pollOffline) && !m_polling) {
        m_polling = true;
        PollComputers(pollOnline, pollOffline);
        m_polling = false;
    }
}

void ClientRequests::PollComputers(bool PollOnline, bool PollOffline)
{
    // While the database is away the poll waits: the loss is logged once, not at every tick.
    if (!DatabaseLink::AtHand()) {
        return;
    }
    const auto computers = AllComputers(QStringLiteral("Опрос компьютеров"));
    if (!computers) {
        return;
    }
    for (const auto &computer : *computers) {
        if (m_protocol.IsClosing()) {
            return;
        }
        const qint32 num = IntValue(*computer, QStringLiteral("Num"));
        const bool offline = m_states.UserState(num) == netStateOffline;
        if (offline ? PollOffline : PollOnline) {
            const qint32 state = m_protocol.GetClientState(TextValue(*computer, QStringLiteral("IP")));
            m_protocol.SetComputerState(num, state);
        }
    }
}

void ClientRequests::UpdateComputersSettings()
{
    GetComputerCode(0, true);
    const auto computers = AllComputers(QStringLiteral("Обновление настроек клиентов"));
    if (!computers) {
        return;
    }
    for (const auto &computer : *computers) {
        m_protocol.CheckClientSettings(*computer, true);
    }
}

void ClientRequests::InitProxy(ProxyControl &Proxy)
{
    Proxy.SetConnectTimeout(SettingNumber("ProxyConnectTimeout"));
    Proxy.SetOuterProxyIP(GetConfigValue(QStringLiteral("OuterProxyIP")));
    Proxy.SetOuterProxyPort(SettingNumber("OuterProxyPort"));
    const bool wanted = LeadingNumber(GetConfigValue(QStringLiteral("InternetAvailable"))) > 0;
    const qint32 port = SettingNumber("ProxyPort");
    if (Proxy.IsActive() && port != Proxy.Port()) {
        Proxy.Shutdown();
    }
    if (Proxy.IsActive() == wanted) {
        return;
    }
    if (!wanted) {
        Proxy.Shutdown();
        return;
    }
    QString err;
    if (!Proxy.Start(port, err)) {
        ShowError(QStringLiteral("Ошибка инициализации прокси: ") + err);
    }
}

bool ClientRequests::MayUseInternet(qint32 Num, const QString &ClientIP)
{
    if (Num == 0) {
        MainLog().Log(QStringLiteral("Попытка доступа в интернет с неизвестного компьютера: ") + ClientIP
                          + QStringLiteral(" !"),
                      Logger::KindError);
        return false;
    }
    if (!m_states.IsInternetAllowed(Num)) {
        MainLog().Log(QStringLiteral("Попытка доступа в интернет с компьютера №") + QString::number(Num)
                          + QStringLiteral(", которому в настоящий момент доступ закрыт!"),
                      Logger::KindError);
        return false;
    }
    return true;
}

void ClientRequests::InternetAllowed(const QString &ClientIP, bool &Allowed)
{
    const qint32 num = GetComputerNumByIP(ClientIP);
    Allowed = num != 0 && m_states.IsInternetAllowed(num);
}

void ClientRequests::RequestArrived(const QString &ClientIP, bool &Cancel)
{
    Cancel = !MayUseInternet(GetComputerNumByIP(ClientIP), ClientIP);
}

void ClientRequests::RequestedURL(const QString &ClientIP, const QString &URL, qint32 Length, bool &Cancel)
{
    const qint32 num = GetComputerNumByIP(ClientIP);
    if (!MayUseInternet(num, ClientIP)) {
        Cancel = true;
    }
    if (num == 0) {
        return;
    }
    if (!m_states.IncreaseCurSeanceTraffic(num, 0, Length)) {
        Cancel = true;
    }
    LogTraffic(num, URL);
}

void ClientRequests::ReceivedData(const QString &ClientIP, qint32 Length, bool &Cancel)
{
    const qint32 num = GetComputerNumByIP(ClientIP);
    if (num != 0) {
        Cancel = !m_states.IncreaseCurSeanceTraffic(num, Length, 0);
    }
}

void ClientRequests::LogTraffic(qint32 ComputerNum, const QString &URL)
{
    if (URL.isEmpty()) {
        return;
    }
    // A commit waits for the disk: one a turn rather than one a request keeps a burst of requests
    // from holding up the window.
    m_traffic.append({ComputerNum, GetComputerCode(ComputerNum, false), Clock::Now(), URL});
    if (!m_trafficFlush.isActive()) {
        m_trafficFlush.start();
    }
}

void ClientRequests::FlushTraffic()
{
    m_trafficFlush.stop();
    const QList<TrafficRecord> records = std::exchange(m_traffic, {});
    QString err;
    if (records.isEmpty() || SaveTraffic(records, err)) {
        return;
    }
    // One record the database refuses (its computer deleted meanwhile) takes no other with it.
    for (const TrafficRecord &record : records) {
        err.clear();
        if (!SaveTraffic({record}, err)) {
            ReportBackgroundError(QStringLiteral("При логировании трафика компьютера №")
                                  + QString::number(record.ComputerNum) + QStringLiteral(" произошла ошибка: ") + err);
        }
    }
}

bool ClientRequests::SaveTraffic(const QList<TrafficRecord> &Records, QString &ErrString)
{
    const auto table = DBTable(QStringLiteral("Traffic"), ErrString);
    Rollstrake::Transaction transaction;
    if (!table || !transaction.Begin(ErrString)) {
        return false;
    }
    for (const TrafficRecord &record : Records) {
        const auto row = table->GetNewRecord();
        SetFieldValue(*row, QStringLiteral("Computer"), record.Computer);
        SetFieldValue(*row, QStringLiteral("AccessTime"), record.AccessTime);
        SetFieldValue(*row, QStringLiteral("URL"), record.URL);
        // The transaction rolls back as it goes out of scope.
        if (!row->Update(ErrString)) {
            return false;
        }
    }
    return transaction.Commit(ErrString);
}
