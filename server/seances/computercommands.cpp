#include "seances/computercommands.h"

#include "clock.h"
#include "core/compbuttons.h"
#include "core/computerlookups.h"
#include "core/databaselink.h"
#include "core/dbvalues.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/night.h"
#include "core/rates.h"
#include "core/seancearithmetic.h"
#include "core/widgets/messagebox.h"
#include "entitylib.h"
#include "generalhelpers.h"
#include "seances/computercontrol.h"
#include "seances/computersframe.h"
#include "seances/dialogsupport.h"
#include "seances/frmaddseance.h"
#include "seances/frmalterseance.h"
#include "seances/frmeditseanceprefs.h"
#include "seances/frmmoveseance.h"
#include "seances/frmreservenight.h"
#include "seances/frmselectcomputers.h"
#include "seances/frmstartnightreserve.h"
#include "seances/frmstartnightseance.h"
#include "seances/selectcomputers.h"
#include "seances/tiledecision.h"

#include <QPointer>

ComputerCommands::ComputerCommands(ComputersFrame &Panel, SeanceData &Data)
    : QObject(&Panel)
    , m_panel(Panel)
    , m_data(Data)
{
}

void ComputerCommands::ConnectTile(ComputerControl *Control)
{
    // The connections go with the tile, so the tile is there whenever one of them runs.
    const auto num = [Control] {
        return Control->Tile().ComputerNum();
    };
    // Every command reads or writes the database: while it is away, one box says so instead.
    const auto command = [this, Control, num](auto Signal, auto Action) {
        connect(Control, Signal, this, [num, Action](auto &...Arguments) {
            if (DatabaseLink::ForOperator()) {
                Action(num(), Arguments...);
            }
        });
    };
    command(&ComputerControl::QueryToAddSeance, [this](qint32 Num) { AddSeance(Num); });
    command(&ComputerControl::QueryToAlterSeance, [this](qint32 Num) { AlterSeance(Num); });
    command(&ComputerControl::QueryToEditSeancePrefs, [this](qint32 Num) { EditSeancePrefs(Num); });
    command(&ComputerControl::QueryToMoveSeance,
            [this](qint32 Num, qint32 &SeanceCode) { MoveSeance(Num, SeanceCode); });
    command(&ComputerControl::QueryToBreakStopSeance,
            [this](qint32 Num, bool &IsBreak) { BreakStopSeance(Num, IsBreak); });
    command(&ComputerControl::QueryToRebootShutdown,
            [this](qint32 Num, bool &IsShutdown) { RebootShutdown(Num, IsShutdown); });
    command(&ComputerControl::QueryToReserveNight, [this](qint32 Num) { ReserveNight(Num); });
    command(&ComputerControl::QueryToBreakReserveNight, [this](qint32 Num) { BreakReserveNight(Num); });
    command(&ComputerControl::QueryToStartReservedNight, [this](qint32 Num) { StartReservedNight(Num); });
    command(&ComputerControl::QueryToStartReservedSeance, [this](qint32 Num) { StartReservedSeance(Num); });
}

void ComputerCommands::AddSeance(qint32 Index)
{
    const auto buttons = Offer(Index, Clock::Now(), {.CheckSeance = true});
    frmAddSeance dialog(&m_panel);
    QList<qint32> written;
    dialog.Start(buttons, written);
    RefreshTiles(written, smNone);
}

void ComputerCommands::AlterSeance(qint32 Index)
{
    const auto buttons =
        Offer(Index, Clock::Now(), {.CheckSeance = true, .WantSeance = true, .CheckNightSeance = true});
    frmAlterSeance dialog(&m_panel);
    QList<qint32> written;
    dialog.Start(buttons, written);
    RefreshTiles(written, smTimes);
}

void ComputerCommands::EditSeancePrefs(qint32 Index)
{
    const QDateTime now = Clock::Now();
    QString err;
    const auto seance = GetSeanceAt(Index, now, err);
    if (!seance) {
        ShowFailure(err);
        return;
    }
    const bool night = IsNightSeance(seance);
    const auto buttons =
        Offer(Index,
              now,
              {.CheckSeance = true, .WantSeance = true, .CheckNightSeance = true, .WantNightSeance = night});
    frmEditSeancePrefs dialog(&m_panel);
    // Only a new desktop must reach the clients at once; a new rate is seen at the next refresh.
    QList<qint32> newDesktop;
    dialog.Start(buttons, night, newDesktop);
    RefreshTiles(newDesktop, smDesktop);
}

void ComputerCommands::MoveSeance(qint32 Index, qint32 SeanceCode)
{
    frmMoveSeance dialog(&m_panel);
    const qint32 target = dialog.Start(Index, SeanceCode);
    if (target <= 0) {
        return;
    }
    AddHistory(Index, SeanceMovedHistoryText(target));
    // The target takes the seance's traffic over from the source tile, which saves it first.
    RefreshTiles({target, Index}, smNone);
}

void ComputerCommands::BreakStopSeance(qint32 Index, bool IsBreak)
{
    // Taken before the confirmation: a seance that ends while it is open is not extended.
    const QDateTime now = Clock::Now();
    const auto buttons = Offer(Index, now, {.CheckSeance = true, .WantSeance = true});
    frmSelectComputers dialog(&m_panel);
    if (!dialog.Start(IsBreak ? QStringLiteral("Отмена сеансов") : QStringLiteral("Завершение сеансов"), buttons)) {
        return;
    }
    for (qint32 num : SeanceDialogs::SelectedComputers(*buttons)) {
        if (!EndSeance(num, now, IsBreak)) {
            return;
        }
    }
}

bool ComputerCommands::EndSeance(qint32 Num, const QDateTime &Moment, bool IsBreak)
{
    QString err;
    const auto seance = GetSeanceAt(Num, Moment, err);
    if (!seance) {
        // No seance any more: the next computer; one that cannot be read stops the command.
        ShowFailure(err);
        return err.isEmpty();
    }
    Rollstrake::Transaction transaction;
    bool done = transaction.Begin(err);
    if (IsBreak) {
        done = done && DeleteSeance(seance->Code(), err) && AddHistory(Num, SeanceCancelledHistoryText(), err);
    } else {
        // Never past the seance's own end, which may have come while the confirmation was open.
        QDateTime end = qMin(Clock::Now(), DateValueOf(*seance, QStringLiteral("EndDate")));
        qint32 minutes = 0;
        CompleteSeanceTimes(DateValueOf(*seance, QStringLiteral("BeginDate")), end, minutes);
        SetFieldValue(*seance, QStringLiteral("EndDate"), end);
        SetFieldValue(*seance, QStringLiteral("Duration"), minutes);
        done = done && seance->Update(err) && AddHistory(Num, SeanceEndedHistoryText(), err);
    }
    if (!done || !transaction.Commit(err)) {
        ShowFailure(err);
        return false;
    }
    RefreshTiles({Num}, IsBreak ? smNone : smTimes);
    return true;
}

void ComputerCommands::RebootShutdown(qint32 Index, bool IsShutdown)
{
    const auto buttons = m_panel.GetOnlineButtons();
    PreSelect(*buttons, Index);
    frmSelectComputers dialog(&m_panel);
    if (!dialog.Start(IsShutdown ? QStringLiteral("Выключить компьютеры") : QStringLiteral("Перегрузить компьютеры"),
                      buttons)) {
        return;
    }
    for (qint32 num : SeanceDialogs::SelectedComputers(*buttons)) {
        // Each send waits with the events running: the tiles are looked up afresh.
        if (ComputerControl *control = m_panel.Control(num)) {
            QString ip = control->Tile().GetIP();
            bool shutdown = IsShutdown;
            emit Reboot(ip, shutdown);
        }
    }
}

void ComputerCommands::ReserveNight(qint32 Index)
{
    const auto buttons = Offer(Index, Clock::Now(), {.CheckNight = true});
    frmReserveNight dialog(&m_panel);
    if (dialog.Start(buttons)) {
        RefreshTiles(SeanceDialogs::SelectedComputers(*buttons), smNone);
    }
}

void ComputerCommands::BreakReserveNight(qint32 Index)
{
    const QDateTime now = Clock::Now();
    const auto buttons = Offer(Index, now, {.CheckNight = true, .WantReserve = true});
    frmSelectComputers dialog(&m_panel);
    if (!dialog.Start(QStringLiteral("Отмена резерва ночи"), buttons)) {
        return;
    }
    for (qint32 num : SeanceDialogs::SelectedComputers(*buttons)) {
        if (!CancelReserve(num, now)) {
            return;
        }
    }
}

bool ComputerCommands::CancelReserve(qint32 Num, const QDateTime &Moment)
{
    // Each computer's own: no earlier computer's reserve is removed or named again.
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    GetNightState(Num, Moment, reserve);
    if (!reserve) {
        return true;
    }
    QString err;
    Rollstrake::Transaction transaction;
    const auto reserves = DBTable(QStringLiteral("NightReserves"), err);
    // Its payments go with it.
    const bool done = reserves && transaction.Begin(err) && reserves->Remove(reserve->Code(), true, err)
                      && AddHistory(Num, NightReserveCancelledHistoryText(), err) && transaction.Commit(err);
    if (!done) {
        ShowFailure(err);
        return false;
    }
    RefreshTiles({Num}, smNone);
    return true;
}

void ComputerCommands::StartReservedNight(qint32 Index)
{
    const QDateTime now = Clock::Now();
    if (!m_data.IsNightTime(now)) {
        return;
    }
    const auto buttons =
        Offer(Index, now, {.CheckNight = true, .WantReserve = true, .CheckSeance = true, .OnlyAtNight = true});
    frmStartNightReserve dialog(&m_panel);
    if (dialog.Start(buttons, now)) {
        RefreshTiles(SeanceDialogs::SelectedComputers(*buttons), smNone);
    }
}

void ComputerCommands::StartReservedSeance(qint32 Index)
{
    const QDateTime now = Clock::Now();
    if (!m_data.IsNightTime(now)) {
        return;
    }
    const auto buttons =
        Offer(Index, now, {.CheckNight = true, .AllowUsedReserve = true, .CheckSeance = true, .OnlyAtNight = true});
    frmStartNightSeance dialog(&m_panel);
    QList<qint32> written;
    dialog.Start(buttons, written);
    RefreshTiles(written, smNone);
}

void ComputerCommands::ShutdownAll()
{
    if (MessageBox::Question(&m_panel, QStringLiteral("Внимание!"), QStringLiteral("Выключить все компьютеры?"))
        != QMessageBox::Yes) {
        return;
    }
    // Each send waits with the events running: tiles may go meanwhile.
    QList<QPointer<ComputerControl>> controls;
    for (ComputerControl *control : m_panel.Controls()) {
        controls.append(control);
    }
    for (const QPointer<ComputerControl> &control : controls) {
        if (!control || control->Tile().ComputerNum() <= 0 || !control->Tile().IsOnline()) {
            continue;
        }
        QString ip = control->Tile().GetIP();
        bool shutdown = true;
        if (!ip.isEmpty()) {
            emit Reboot(ip, shutdown);
        }
    }
}

std::shared_ptr<CompButtons> ComputerCommands::Offer(qint32 Index, const QDateTime &Moment, const Rules &Allowed)
{
    const auto buttons = GetComputers();
    SelectComputers(*buttons,
                    m_data,
                    Moment,
                    Allowed.CheckNight,
                    Allowed.WantReserve,
                    Allowed.AllowUsedReserve,
                    Allowed.CheckSeance,
                    Allowed.WantSeance,
                    Allowed.CheckNightSeance,
                    Allowed.WantNightSeance,
                    Allowed.OnlyAtNight);
    PreSelect(*buttons, Index);
    return buttons;
}

void ComputerCommands::PreSelect(CompButtons &Buttons, qint32 Index)
{
    const auto clicked = Buttons.Item(MakeItemKey(Index));
    if (clicked && clicked->Enabled()) {
        clicked->SetSelected(true);
    }
}

void ComputerCommands::RefreshTiles(const QList<qint32> &Computers, qint32 Mark)
{
    for (qint32 num : Computers) {
        // A refresh may wait in an event while tiles come and go: each is looked up afresh.
        if (ComputerControl *control = m_panel.Control(num)) {
            if (Mark != smNone) {
                control->Tile().SeanceChanged(Mark);
            }
            control->Tile().RefreshData();
        }
    }
}

void ComputerCommands::ShowFailure(const QString &ErrString)
{
    if (!ErrString.isEmpty()) {
        SeanceDialogs::ShowFailure(&m_panel, ErrString);
    }
}
