#pragma once

#include "core/clientmessages.h"
#include "seances/seancealarm.h"
#include "seances/seancedata.h"
#include "seances/trafficcounter.h"

#include <QColor>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <optional>

class TileFeedback;

// The state of one client computer's tile and the decision, on every refresh, of what its client
// must be sent: its seance, the seance again with or without its desktop, a state query or a
// reboot. It never uses the network: it raises its four events, whose handlers write the answers
// into the by-reference arguments. It also counts the current seance's internet traffic and keeps
// what the tile widget shows.
class ComputerTile : public QObject
{
    Q_OBJECT

public:
    static constexpr qint32 netStateOffline = ::netStateOffline;

    ComputerTile(SeanceData &Data, TileFeedback &Feedback, QObject *parent = nullptr);
    // Saves the current seance's traffic counters.
    ~ComputerTile() override;

    qint32 ComputerNum() const
    {
        return m_computerNum;
    }

    void SetComputerNum(qint32 ComputerNum);

    // The number and name shown on the tile.
    QString ComputerCaption() const
    {
        return m_caption;
    }

    void RefreshData();
    QString GetIP();
    // Asks the client its state and takes the answer.
    void Init();

    qint32 State() const
    {
        return m_state;
    }

    void SetState(qint32 State);

    bool IsOnline() const
    {
        return m_state != netStateOffline;
    }

    // The client's seance, an off-line client counting as running none.
    qint32 ClientSeance() const
    {
        return qMax(m_state, 0);
    }

    void ShortcutStarted(qint32 ShortcutCode);
    // Marks the seance as changed (a SeanceMark). A pending larger mark stays.
    void SeanceChanged(qint32 Mark);

    qint32 Mark() const
    {
        return m_mark;
    }

    bool IsInternetAllowed() const;
    bool IncreaseCurSeanceTraffic(qint32 Download, qint32 Upload);
    // Raises SendServerSettings for this computer's address (the menu's request).
    void RequestServerSettings();
    // Another tile takes this seance over (it moved): save its counters and stop counting it, so
    // that the other tile starts from them and nothing is counted or saved twice.
    void ReleaseSeance(qint32 SeanceCode);

    // What the tile shows.
    const TrafficCounter &Traffic() const
    {
        return m_traffic;
    }

    // Minutes from now to the end of the server's seance; nothing when it has none.
    std::optional<qint64> RemainingMinutes() const
    {
        return m_remainingMinutes;
    }

    QColor ScreenColour() const
    {
        return m_screenColour;
    }

    QColor NightColour() const
    {
        return m_nightColour;
    }

    QString NightToolTip() const
    {
        return m_nightToolTip;
    }

    QString ReserveNickname() const
    {
        return m_nickname;
    }

    QString StartedShortcut() const
    {
        return m_startedShortcut;
    }

    bool AlarmOn() const
    {
        return m_alarm.IsOn();
    }

    // One blink of the alarm (the alarm timer's tick).
    void AlarmTick();

signals:
    void BeginSeance(SeanceData::Seance &Seance, bool &WithDesktop, bool &Result);
    void SendServerSettings(QString &IP);
    void Reboot(QString &IP, bool &IsShutdown);
    void QueryUserState(QString &IP, qint32 &State);
    // Raised before this tile starts counting a seance, so the tile that counted it before saves
    // and releases it first.
    void TakingOverSeance(qint32 SeanceCode);
    // Something that the tile shows has changed.
    void Changed();

private:
    void RunRefresh();
    void RaiseBeginSeance(qint32 SeanceCode, bool WithDesktop);
    void CheckForeignSeance();
    void LoadSeanceTraffic(qint32 SeanceCode);
    void SaveSeanceTraffic(bool ShowBox = true);
    void RecalcTrafficLimits();
    // ServerSeance is the seance that RefreshData read, so that it is not read again.
    void ShowSeanceState(const std::optional<SeanceData::Seance> &ServerSeance);
    // Tonight's state does not depend on the client: read once a refresh.
    void ShowNightState(const std::optional<SeanceData::Seance> &ServerSeance);
    void CheckAlarm(qint32 ClientSeance, const std::optional<SeanceData::Seance> &ServerSeance);
    // Changed is raised once at the end of a refresh rather than at every step.
    void NotifyChanged();
    void ReportError(const QString &Text, bool ShowBox = true);

    SeanceData &m_data;
    TileFeedback &m_feedback;
    qint32 m_computerNum = 0;
    QString m_caption;
    qint32 m_state = netStateOffline;
    qint32 m_mark = 0;
    bool m_refreshing = false;
    bool m_changedDuringRefresh = false;
    TrafficCounter m_traffic;
    SeanceAlarm m_alarm;
    QTimer m_alarmTimer;
    std::optional<qint64> m_remainingMinutes;
    QColor m_screenColour = QColor(0xFF, 0x00, 0x00);
    QColor m_nightColour = QColor(0xFF, 0xFF, 0x00);
    QString m_nightToolTip;
    QString m_nickname;
    QString m_startedShortcut;
    // Errors already shown to the operator, by seance and text: each is shown once, logged always.
    QSet<QString> m_shownErrors;
};
