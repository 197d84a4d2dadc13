#pragma once

#include "seances/seancedata.h"

#include <QMap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class CompButtons;
class ComputerCommands;
class ComputerControl;
class QMenu;
class QScrollArea;
class TileFeedback;

// The computers view's panel: one tile per `Computers` record, laid out in rows in table order in a
// vertical scroll area and refreshed on a timer. It carries the main window's per-computer calls to the right tile and
// passes the tiles' network requests up as its own events, by reference.
class ComputersFrame : public QWidget
{
    Q_OBJECT

public:
    ComputersFrame(SeanceData &Data, TileFeedback &Feedback, QWidget *parent = nullptr);
    ~ComputersFrame() override;

    // The computers view has nothing to save.
    bool Changed() const
    {
        return false;
    }

    // Creates the missing tiles, removes those of deleted computers and lays them out again when
    // the set changed.
    void LoadSettings();
    // The tile's state (0 idle, a seance code, -3 off line); -1 when the computer has no tile.
    qint32 UserState(qint32 ComputerNum) const;
    void SetUserState(qint32 ComputerNum, qint32 Value);
    bool IsInternetAllowed(qint32 ComputerNum) const;
    void ShortcutStarted(qint32 ComputerNum, qint32 ShortcutCode);
    // A SeanceMark for every tile: smTimes when seances or the internet settings changed, smDesktop
    // when the desktops changed (every seance is sent again with its desktop).
    void SeanceChanged(qint32 Kind);
    // Re-reads "SeancesRefreshInterval" (seconds).
    void SetIntervals();
    bool IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload);

    bool ComputerControlExists(qint32 ComputerNum) const;
    ComputerControl *Control(qint32 ComputerNum) const;
    // Tiles in table order of their computers.
    QList<ComputerControl *> Controls() const;
    bool SyncComputerControls();
    void AddComputerControl(qint32 ComputerNum);
    void ArrangeComputerControls();
    // One entry per computer in table order, enabled when its tile's client is on line.
    std::shared_ptr<CompButtons> GetOnlineButtons();
    // The timer's work: every tile refreshes.
    void RefreshAll();
    // The owner's unload: stops the refreshes and destroys every tile now, each saving its seance's
    // traffic, so that nothing a tile reaches has to outlive the panel. Not while a tile waits in
    // one of its own events (the owner unloads when no network dialog runs).
    void ReleaseTiles();

    int RefreshInterval() const
    {
        return m_timer.interval();
    }

    // What the operator does on computers: the tiles' requests and this panel's menu.
    ComputerCommands &Commands() const
    {
        return *m_commands;
    }

    // The popup menu of the panel's background: "&Выключить все".
    QMenu *Menu() const
    {
        return m_menu;
    }

signals:
    void QueryUserState(QString &IP, qint32 &State);
    void SendServerSettings(QString &IP);
    void Reboot(QString &IP, bool &Shutdown);
    void BeginSeance(qint32 &ComputerNum, SeanceData::Seance &Seance, bool &WithDesktop, bool &Result);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Computer numbers of the table, each once: a repeated number is logged and skipped.
    QList<qint32> DistinctComputerNums();
    void RemoveComputerControl(qint32 ComputerNum);
    void ConnectTile(ComputerControl *Control, qint32 ComputerNum);

    SeanceData &m_data;
    TileFeedback &m_feedback;
    QScrollArea *m_scroll = nullptr;
    // The tiles' parent inside the scroll area, as high as their rows.
    QWidget *m_tiles = nullptr;
    QMap<qint32, QPointer<ComputerControl>> m_controls;
    QTimer m_timer;
    ComputerCommands *m_commands;
    QMenu *m_menu;
};
