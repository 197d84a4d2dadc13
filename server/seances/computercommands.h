#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class CompButtons;
class ComputerControl;
class ComputersFrame;
class SeanceData;

// The operator's commands on computers: the ten requests of the tiles' menus and the panel's "shut
// down all". Each works on a set: it offers every computer, enables those the action is allowed on
// at the moment the request arrived, pre-selects the clicked one when allowed, and once the dialog
// was applied writes (or has its dialog write) one history line per computer, after the change it
// describes and in the same transaction, and refreshes the tiles concerned. A failure stops the
// command at that computer, after a box, and keeps what was written for the computers before it;
// their tiles are refreshed all the same, also when the dialog is then cancelled or closed, so that
// a computer charged is never left untold. Nothing here uses the network: reboots and shutdowns
// leave as the Reboot event.
class ComputerCommands final : public QObject
{
    Q_OBJECT

public:
    // The panel is the parent of the dialogs and holds the tiles; Data answers the selection rules.
    ComputerCommands(ComputersFrame &Panel, SeanceData &Data);

    // The tile's requests become the commands for its computer.
    void ConnectTile(ComputerControl *Control);

    // Index is the number of the computer whose tile asked.
    void AddSeance(qint32 Index);
    void AlterSeance(qint32 Index);
    // For the seances of the kind (night or day) that runs on the clicked computer; nothing when none runs.
    void EditSeancePrefs(qint32 Index);
    void MoveSeance(qint32 Index, qint32 SeanceCode);
    // IsBreak cancels the seances (with their payments); otherwise they end now.
    void BreakStopSeance(qint32 Index, bool IsBreak);
    void RebootShutdown(qint32 Index, bool IsShutdown);
    void ReserveNight(qint32 Index);
    void BreakReserveNight(qint32 Index);
    // The two night commands do nothing outside the night window.
    void StartReservedNight(qint32 Index);
    void StartReservedSeance(qint32 Index);
    // After the operator's yes: every tile whose client is on line is shut down.
    void ShutdownAll();

signals:
    void Reboot(QString &IP, bool &Shutdown);

private:
    // The tests of SelectComputers, in its order.
    struct Rules
    {
        bool CheckNight = false;
        bool WantReserve = false;
        bool AllowUsedReserve = false;
        bool CheckSeance = false;
        bool WantSeance = false;
        bool CheckNightSeance = false;
        bool WantNightSeance = false;
        bool OnlyAtNight = false;
    };

    // Every computer, enabled by the rules at the moment, the clicked one selected when enabled.
    std::shared_ptr<CompButtons> Offer(qint32 Index, const QDateTime &Moment, const Rules &Allowed);
    static void PreSelect(CompButtons &Buttons, qint32 Index);
    // The tiles of the computers chosen are marked (a SeanceMark other than smNone) and refreshed;
    // computers without a tile are left out.
    void RefreshTiles(const QList<qint32> &Computers, qint32 Mark);
    // One computer of "end or cancel seances" and of "cancel tonight's reserves"; false stops the command.
    bool EndSeance(qint32 Num, const QDateTime &Moment, bool IsBreak);
    bool CancelReserve(qint32 Num, const QDateTime &Moment);
    // The box of a failure; nothing when the library has shown its own (a refused delete).
    void ShowFailure(const QString &ErrString);

    ComputersFrame &m_panel;
    SeanceData &m_data;
};
