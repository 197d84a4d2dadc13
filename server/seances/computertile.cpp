#include "seances/computertile.h"

#include "clock.h"
#include "core/seancearithmetic.h"
#include "leadingnumber.h"
#include "seances/tiledecision.h"
#include "seances/tilefeedback.h"
#include "seances/tilelook.h"

#include <QPointer>

namespace
{
// Clears the refresh-in-progress flag on every way out, unless the tile is gone meanwhile.
class RefreshGuard
{
public:
    RefreshGuard(ComputerTile *tile, bool &flag)
        : m_tile(tile)
        , m_flag(flag)
    {
        m_flag = true;
    }

    ~RefreshGuard()
    {
        if (m_tile) {
            m_flag = false;
        }
    }

    RefreshGuard(const RefreshGuard &) = delete;
    RefreshGuard &operator=(const RefreshGuard &) = delete;

private:
    QPointer<ComputerTile> m_tile;
    bool &m_flag;
};

// A lookup's failure, or the seance missing.
QString NotFoundOr(const QString &Error)
{
    return Error.isEmpty() ? QStringLiteral("сеанс не найден!") : Error;
}
} // namespace

ComputerTile::ComputerTile(SeanceData &Data, TileFeedback &Feedback, QObject *parent)
    : QObject(parent)
    , m_data(Data)
    , m_feedback(Feedback)
{
    m_alarmTimer.setInterval(500);
    connect(&m_alarmTimer, &QTimer::timeout, this, &ComputerTile::AlarmTick);
}

ComputerTile::~ComputerTile()
{
    // No message box while the tile is being destroyed: the log is enough.
    SaveSeanceTraffic(false);
}

void ComputerTile::SetComputerNum(qint32 ComputerNum)
{
    m_computerNum = ComputerNum;
    m_caption = m_data.ComputerName(ComputerNum);
    NotifyChanged();
}

void ComputerTile::RefreshData()
{
    if (!m_data.ComputerExists(m_computerNum) || m_refreshing) {
        return;
    }
    QPointer<ComputerTile> self(this);
    {
        RefreshGuard guard(this, m_refreshing);
        RunRefresh();
    }
    if (self && m_changedDuringRefresh) {
        m_changedDuringRefresh = false;
        emit Changed();
    }
}

void ComputerTile::NotifyChanged()
{
    if (m_refreshing) {
        m_changedDuringRefresh = true;
    } else {
        emit Changed();
    }
}

void ComputerTile::RunRefresh()
{
    QPointer<ComputerTile> self(this);
    QString error;
    const auto seance = m_data.SeanceAt(m_computerNum, Clock::Now(), error);
    if (!error.isEmpty()) {
        // Not knowing the server's seance, the tile neither sends, releases nor reboots anything.
        m_feedback.LogError(QStringLiteral("Компьютер №") + QString::number(m_computerNum)
                            + QStringLiteral(": сеанс не прочитан: ") + error);
        return;
    }
    const qint32 server = seance ? seance->Code : 0;
    if (server != m_traffic.SeanceCode() || m_mark == smDesktop) {
        SaveSeanceTraffic();
        if (server > 0 && server != m_traffic.SeanceCode()) {
            emit TakingOverSeance(server);
            if (!self) {
                return;
            }
        }
        LoadSeanceTraffic(server);
    }
    if (m_mark != smNone) {
        RecalcTrafficLimits();
    }
    ShowSeanceState(seance);
    ShowNightState(seance);
    const qint32 before = ClientSeance();
    switch (DecideTileAction(m_state, server, m_mark)) {
    case TileAction::SendSeance:
        RaiseBeginSeance(server, false);
        break;
    case TileAction::SendSeanceWithDesktop:
        RaiseBeginSeance(server, true);
        break;
    case TileAction::CheckForeignSeance:
        CheckForeignSeance();
        break;
    case TileAction::None:
        break;
    }
    if (!self) {
        return;
    }
    if (ClientSeance() != before) {
        ShowSeanceState(seance);
    }
    CheckAlarm(ClientSeance(), seance);
}

QString ComputerTile::GetIP()
{
    return m_data.ComputerIP(m_computerNum);
}

void ComputerTile::Init()
{
    QPointer<ComputerTile> self(this);
    QString ip = GetIP();
    qint32 state = 0;
    emit QueryUserState(ip, state);
    if (self) {
        SetState(state);
    }
}

void ComputerTile::SetState(qint32 State)
{
    if (State == m_state) {
        return;
    }
    // Going off line or coming back is no answer to a pending change: the changed seance must
    // still reach the client once it answers again.
    const bool offlineChange = State == netStateOffline || m_state == netStateOffline;
    m_state = State;
    if (!offlineChange) {
        m_mark = smNone;
    }
    m_startedShortcut.clear();
    NotifyChanged();
    if (m_computerNum > 0) {
        RefreshData();
    }
}

void ComputerTile::ShortcutStarted(qint32 ShortcutCode)
{
    m_startedShortcut.clear();
    if (ShortcutCode != 0) {
        if (const auto caption = m_data.ShortcutCaption(ShortcutCode)) {
            m_startedShortcut = *caption;
        } else {
            m_feedback.LogError(QStringLiteral("ComputerControl.ShortcutStarted: Не найден ярлык с кодом ")
                                + QString::number(ShortcutCode) + QStringLiteral("!"));
        }
    }
    NotifyChanged();
}

void ComputerTile::SeanceChanged(qint32 Mark)
{
    m_mark = qMax(m_mark, Mark);
}

bool ComputerTile::IsInternetAllowed() const
{
    return m_traffic.IsAllowed(IsOnline());
}

bool ComputerTile::IncreaseCurSeanceTraffic(qint32 Download, qint32 Upload)
{
    if (!m_traffic.Counts()) {
        return false;
    }
    const bool allowed = m_traffic.Increase(Download, Upload, IsOnline());
    NotifyChanged();
    return allowed;
}

void ComputerTile::RequestServerSettings()
{
    QString ip = GetIP();
    emit SendServerSettings(ip);
}

void ComputerTile::ReleaseSeance(qint32 SeanceCode)
{
    if (SeanceCode <= 0 || m_traffic.SeanceCode() != SeanceCode) {
        return;
    }
    SaveSeanceTraffic();
    m_traffic.Reset();
    NotifyChanged();
}

void ComputerTile::RaiseBeginSeance(qint32 SeanceCode, bool WithDesktop)
{
    QString error;
    auto seance = m_data.FindSeance(SeanceCode, error);
    if (!seance) {
        m_feedback.LogError(QStringLiteral("Сеанс ") + QString::number(SeanceCode) + QStringLiteral(" не отправлен: ")
                            + (error.isEmpty() ? QStringLiteral("сеанс не найден!") : error));
        return;
    }
    QPointer<ComputerTile> self(this);
    bool withDesktop = WithDesktop;
    bool result = false;
    emit BeginSeance(*seance, withDesktop, result);
    if (!self || !result) {
        return;
    }
    SetState(SeanceCode);
    m_mark = smNone;
}

void ComputerTile::CheckForeignSeance()
{
    QPointer<ComputerTile> self(this);
    QString ip = GetIP();
    qint32 state = 0;
    emit QueryUserState(ip, state);
    if (!self) {
        return;
    }
    SetState(state);
    // Only a client that really reports a seance is rebooted, never one that answered an error.
    if (m_state > 0) {
        ip = GetIP();
        bool shutdown = false;
        emit Reboot(ip, shutdown);
    }
}

void ComputerTile::LoadSeanceTraffic(qint32 SeanceCode)
{
    // Start from nothing, so that a seance that cannot be read never inherits the counts or the
    // internet permission of the seance before it.
    m_traffic.Reset(SeanceCode);
    if (SeanceCode < 1) {
        return;
    }
    QString error;
    const auto seance = m_data.FindSeance(SeanceCode, error);
    if (!seance) {
        ReportError(QStringLiteral("При  загрузке данных о доступе в интернет по сеансу произошла ошибка: ")
                    + NotFoundOr(error));
        return;
    }
    m_traffic.SetCounters(seance->Downloaded, seance->Uploaded);
    const auto internet = m_data.DesktopAllowsInternet(seance->Desktop);
    if (!internet) {
        ReportError(QStringLiteral(
            "При  загрузке данных о доступе в интернет по сеансу произошла ошибка: рабочий стол не найден!"));
        return;
    }
    m_traffic.SetInternet(*internet);
    RecalcTrafficLimits();
}

void ComputerTile::SaveSeanceTraffic(bool ShowBox)
{
    if (!m_traffic.Counts()) {
        return;
    }
    QString error;
    if (!m_data.FindSeance(m_traffic.SeanceCode(), error)) {
        if (!error.isEmpty()) {
            ReportError(QStringLiteral("При сохранении информации о доступе в интернет по сеансу произошла ошибка: ")
                            + error,
                        ShowBox);
        }
        return;
    }
    if (!m_data.SaveSeanceTraffic(m_traffic.SeanceCode(), m_traffic.Downloaded(), m_traffic.Uploaded(), error)) {
        ReportError(QStringLiteral("При сохранении информации о доступе в интернет по сеансу произошла ошибка: ")
                        + error,
                    ShowBox);
    }
}

void ComputerTile::RecalcTrafficLimits()
{
    if (!m_traffic.Counts()) {
        return;
    }
    QString error;
    const auto seance = m_data.FindSeance(m_traffic.SeanceCode(), error);
    if (!seance) {
        ReportError(QStringLiteral("При пересчёте допустимого размера загрузки из интернета произошла ошибка: ")
                    + NotFoundOr(error));
        return;
    }
    const qint64 minutes = MinutesBetween(seance->BeginDate, seance->EndDate);
    m_traffic.SetLimits(TrafficCounter::SeanceLimit(minutes, m_data.ConfigValue(QStringLiteral("HourDownloadLimit"))),
                        TrafficCounter::SeanceLimit(minutes, m_data.ConfigValue(QStringLiteral("HourUploadLimit"))));
}

void ComputerTile::ShowSeanceState(const std::optional<SeanceData::Seance> &ServerSeance)
{
    const QDateTime now = Clock::Now();
    m_remainingMinutes.reset();
    if (ServerSeance) {
        m_remainingMinutes = MinutesBetween(now, ServerSeance->EndDate);
    }
    m_screenColour =
        TileLook::ScreenColour(IsOnline(), ServerSeance ? ServerSeance->Code : 0, ClientSeance(), m_alarm.Colour());
    NotifyChanged();
}

void ComputerTile::ShowNightState(const std::optional<SeanceData::Seance> &ServerSeance)
{
    const SeanceData::NightInfo night = m_data.NightStateWith(m_computerNum, Clock::Now(), ServerSeance);
    const TileLook::Night look = TileLook::NightLook(night.State);
    if (look.Known) {
        m_nightColour = look.Colour;
        m_nightToolTip = look.ToolTip;
    }
    m_nickname = night.HasReserve ? night.Nickname : QString();
    NotifyChanged();
}

void ComputerTile::CheckAlarm(qint32 ClientSeance, const std::optional<SeanceData::Seance> &ServerSeance)
{
    std::optional<qint64> minutesLeft;
    if (ClientSeance != 0) {
        QString error;
        const auto seance =
            ServerSeance && ServerSeance->Code == ClientSeance ? ServerSeance : m_data.FindSeance(ClientSeance, error);
        if (!seance) {
            // The alarm stays as it is until the seance can be read.
            if (!error.isEmpty()) {
                m_feedback.LogError(QStringLiteral("Сигнал окончания сеанса: ") + error);
            }
            return;
        }
        minutesLeft = MinutesBetween(Clock::Now(), seance->EndDate);
    }
    const double alarmMinutes = LeadingNumber(m_data.ConfigValue(QStringLiteral("SeanceAlarmTime")));
    switch (m_alarm.Check(ClientSeance, minutesLeft, alarmMinutes)) {
    case SeanceAlarm::Step::Started:
        m_alarmTimer.start();
        m_feedback.Beep(5);
        m_feedback.BringMainWindowForward();
        break;
    case SeanceAlarm::Step::Stopped:
        m_alarmTimer.stop();
        break;
    case SeanceAlarm::Step::None:
        break;
    }
}

void ComputerTile::AlarmTick()
{
    m_alarm.Tick();
    m_screenColour = m_alarm.Colour();
    NotifyChanged();
}

void ComputerTile::ReportError(const QString &Text, bool ShowBox)
{
    m_feedback.LogError(Text);
    const QString key = QString::number(m_traffic.SeanceCode()) + QLatin1Char('\n') + Text;
    if (ShowBox && !m_shownErrors.contains(key)) {
        m_shownErrors.insert(key);
        m_feedback.ShowError(Text);
    }
}
