#pragma once

#include "seances/computertile.h"

#include <QFont>
#include <QTimer>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QMenu;

// The tile of one client computer on the computers panel: draws its ComputerTile (a small monitor
// coloured by state, the time left, tonight's night state, the last started shortcut, the traffic
// lines) and owns its popup menu, whose choices become the operator's requests.
class ComputerControl : public QWidget
{
    Q_OBJECT

public:
    ComputerControl(SeanceData &Data, TileFeedback &Feedback, QWidget *parent = nullptr);
    ~ComputerControl() override;

    ComputerTile &Tile()
    {
        return *m_tile;
    }

    const ComputerTile &Tile() const
    {
        return *m_tile;
    }

    // Sets every menu entry's caption and enabled state from a fresh look at the computer.
    void PrepareMenu();

    QMenu *Menu() const
    {
        return m_menu;
    }

    void ShowComputerMenu(const QPoint &GlobalPos);
    // The caption may take the width the panel gives the tile (pixels), more than the tile's own;
    // the tile stays centred under it.
    void SetCaptionWidth(int Pixels);
    // Where the tile's own width begins within the control.
    int TileLeft() const;
    // The double click: alter the seance when the computer has one now, otherwise add one.
    void DoDefaultAction();

signals:
    void QueryToAddSeance();
    void QueryToAlterSeance();
    void QueryToEditSeancePrefs();
    void QueryToMoveSeance(qint32 &SeanceCode);
    void QueryToBreakStopSeance(bool &IsBreak);
    void QueryToRebootShutdown(bool &IsShutdown);
    void QueryToReserveNight();
    void QueryToBreakReserveNight();
    void QueryToStartReservedNight();
    void QueryToStartReservedSeance();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum PendingAction
    {
        AddSeance = 0,
        AlterSeance = 1,
    };

    // The popup menu's entries, in the menu's order.
    enum MenuEntry
    {
        meName,
        meAddSeance,
        meAlterSeance,
        meEditSeancePrefs,
        meBreakSeance,
        meStopSeance,
        meMoveSeance,
        meStartReserveSeance,
        meReserveNight,
        meCancelReserveNight,
        meStartReservedNight,
        meReboot,
        meShutdown,
        meSendSettings,
        MenuEntryCount
    };

    void BuildControls();
    void BuildMenu();
    void AddEntry(MenuEntry Entry, const char *Name, const QString &Caption, void (ComputerControl::*Handler)());
    void UpdateView();
    void ArrangeControls();
    qint32 CurrentSeanceCode() const;
    void QueueRequest(PendingAction Action);
    void ShowTimerFired();

    void OnAddSeance();
    void OnAlterSeance();
    void OnEditSeancePrefs();
    void OnBreakSeance();
    void OnStopSeance();
    void OnMoveSeance();
    void OnStartReserveSeance();
    void OnReserveNight();
    void OnCancelReserveNight();
    void OnStartReservedNight();
    void OnReboot();
    void OnShutdown();
    void OnSendSettings();

    SeanceData &m_data;
    TileFeedback &m_feedback;
    ComputerTile *m_tile;
    QLabel *m_computerIdLabel = nullptr;
    QFrame *m_outerScreen = nullptr;
    QFrame *m_innerScreen = nullptr;
    QLabel *m_remainingTime = nullptr;
    QFrame *m_nightScreen = nullptr;
    QLabel *m_nightReserveNickname = nullptr;
    QLabel *m_startedShortcut = nullptr;
    QLabel *m_downloadImage = nullptr;
    QLabel *m_downloadLabel = nullptr;
    QLabel *m_uploadedImage = nullptr;
    QLabel *m_uploadedLabel = nullptr;
    // The labels' own fonts, from which a text that would not fit is shrunk.
    QFont m_captionFont;
    QFont m_timeFont;
    QFont m_trafficFont;
    QMenu *m_menu = nullptr;
    std::array<QAction *, MenuEntryCount> m_entries{};
    QTimer m_showTimer;
    PendingAction m_pendingAction = AddSeance;
};
