#include "seances/computersframe.h"

#include "core/compbuttons.h"
#include "core/databaselink.h"
#include "core/widgets/twips.h"
#include "leadingnumber.h"
#include "seances/computercommands.h"
#include "seances/computercontrol.h"
#include "seances/panellayout.h"
#include "seances/tilefeedback.h"

#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

#include <cmath>

namespace
{
constexpr int DefaultIntervalMs = 20000;

// Pixels from the top of the panel to the bottom of the last row.
int RowsHeight(const QList<QPoint> &Places)
{
    int bottom = 0;
    for (const QPoint &place : Places) {
        bottom = qMax(bottom, place.y() + PanelLayout::TileHeight);
    }
    return qRound(bottom / double(Twips::PerPixel));
}
} // namespace

ComputersFrame::ComputersFrame(SeanceData &Data, TileFeedback &Feedback, QWidget *parent)
    : QWidget(parent)
    , m_data(Data)
    , m_feedback(Feedback)
    , m_commands(new ComputerCommands(*this, Data))
    , m_menu(new QMenu(QStringLiteral("computers"), this))
{
    setObjectName(QStringLiteral("ComputersFrame"));
    m_menu->setObjectName(QStringLiteral("mnuComputers"));
    QAction *shutdownAll = m_menu->addAction(QStringLiteral("&Выключить все"));
    shutdownAll->setObjectName(QStringLiteral("mnuComputersShutdown"));
    connect(shutdownAll, &QAction::triggered, m_commands, &ComputerCommands::ShutdownAll);
    connect(m_commands, &ComputerCommands::Reboot, this, &ComputersFrame::Reboot);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ComputersScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tiles = new QWidget;
    m_tiles->setObjectName(QStringLiteral("ComputersTiles"));
    m_scroll->setWidget(m_tiles);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_timer.setInterval(10000);
    connect(&m_timer, &QTimer::timeout, this, &ComputersFrame::RefreshAll);
    m_timer.start();
}

ComputersFrame::~ComputersFrame()
{
    ReleaseTiles();
}

void ComputersFrame::LoadSettings()
{
    if (SyncComputerControls()) {
        ArrangeComputerControls();
    }
}

qint32 ComputersFrame::UserState(qint32 ComputerNum) const
{
    const ComputerControl *control = Control(ComputerNum);
    return control ? control->Tile().State() : -1;
}

void ComputersFrame::SetUserState(qint32 ComputerNum, qint32 Value)
{
    if (ComputerControl *control = Control(ComputerNum)) {
        control->Tile().SetState(Value);
    }
}

bool ComputersFrame::IsInternetAllowed(qint32 ComputerNum) const
{
    const ComputerControl *control = Control(ComputerNum);
    return control && control->Tile().IsInternetAllowed();
}

void ComputersFrame::ShortcutStarted(qint32 ComputerNum, qint32 ShortcutCode)
{
    if (ComputerControl *control = Control(ComputerNum)) {
        control->Tile().ShortcutStarted(ShortcutCode);
    }
}

void ComputersFrame::SeanceChanged(qint32 Kind)
{
    for (ComputerControl *control : Controls()) {
        control->Tile().SeanceChanged(Kind);
    }
}

void ComputersFrame::SetIntervals()
{
    const double ms =
        std::nearbyint(LeadingNumber(m_data.ConfigValue(QStringLiteral("SeancesRefreshInterval"))) * 1000);
    // A hand-edited interval of 0 or less would make the timer spin.
    m_timer.setInterval(ms <= 0 ? DefaultIntervalMs : static_cast<int>(qMin(ms, double(INT_MAX))));
}

bool ComputersFrame::IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload)
{
    ComputerControl *control = Control(ComputerNum);
    return control && control->Tile().IncreaseCurSeanceTraffic(Download, Upload);
}

bool ComputersFrame::ComputerControlExists(qint32 ComputerNum) const
{
    return Control(ComputerNum) != nullptr;
}

ComputerControl *ComputersFrame::Control(qint32 ComputerNum) const
{
    return m_controls.value(ComputerNum).data();
}

QList<ComputerControl *> ComputersFrame::Controls() const
{
    QList<ComputerControl *> controls;
    for (const QPointer<ComputerControl> &control : m_controls) {
        if (control) {
            controls.append(control);
        }
    }
    return controls;
}

QList<qint32> ComputersFrame::DistinctComputerNums()
{
    QList<qint32> nums;
    QSet<qint32> seen;
    for (qint32 num : m_data.ComputerNums()) {
        if (seen.contains(num)) {
            m_feedback.LogError(QStringLiteral("ComputersFrame: номер компьютера ") + QString::number(num)
                                + QStringLiteral(" повторяется, повтор пропущен!"));
            continue;
        }
        seen.insert(num);
        nums.append(num);
    }
    return nums;
}

bool ComputersFrame::SyncComputerControls()
{
    // A computer added, renumbered away or removed since the last look: the tiles read through the
    // number-to-code lookups, which must know the new set first.
    const QList<qint32> nums = DistinctComputerNums();
    if (QSet<qint32>(nums.cbegin(), nums.cend()) != QSet<qint32>(m_controls.keyBegin(), m_controls.keyEnd())) {
        m_data.ComputersChanged();
    }
    bool changed = false;
    for (qint32 num : m_controls.keys()) {
        if (!m_data.ComputerExists(num)) {
            RemoveComputerControl(num);
            changed = true;
        } else if (ComputerControl *control = Control(num)) {
            control->Tile().SetComputerNum(num);
        }
    }
    for (qint32 num : nums) {
        if (!ComputerControlExists(num)) {
            AddComputerControl(num);
            changed = true;
        }
    }
    return changed;
}

void ComputersFrame::RemoveComputerControl(qint32 ComputerNum)
{
    // The tile may be inside one of its own events right now: it goes on a later turn.
    const QPointer<ComputerControl> control = m_controls.take(ComputerNum);
    if (control) {
        control->hide();
        control->deleteLater();
    }
}

void ComputersFrame::AddComputerControl(qint32 ComputerNum)
{
    QPointer<ComputerControl> control = new ComputerControl(m_data, m_feedback, m_tiles);
    m_controls.insert(ComputerNum, control);
    ConnectTile(control, ComputerNum);
    control->Tile().SetComputerNum(ComputerNum);
    control->Tile().Init();
    if (control) {
        control->Tile().RefreshData();
    }
    if (control) {
        control->show();
    }
}

void ComputersFrame::ConnectTile(ComputerControl *Control, qint32 ComputerNum)
{
    ComputerTile *tile = &Control->Tile();
    connect(tile, &ComputerTile::QueryUserState, this, &ComputersFrame::QueryUserState);
    connect(tile, &ComputerTile::SendServerSettings, this, &ComputersFrame::SendServerSettings);
    connect(tile, &ComputerTile::Reboot, this, &ComputersFrame::Reboot);
    connect(tile,
            &ComputerTile::BeginSeance,
            this,
            [this, ComputerNum](SeanceData::Seance &seance, bool &withDesktop, bool &result) {
                qint32 num = ComputerNum;
                emit BeginSeance(num, seance, withDesktop, result);
            });
    m_commands->ConnectTile(Control);
    connect(tile, &ComputerTile::TakingOverSeance, this, [this, tile](qint32 seanceCode) {
        for (ComputerControl *other : Controls()) {
            if (&other->Tile() != tile) {
                other->Tile().ReleaseSeance(seanceCode);
            }
        }
    });
}

void ComputersFrame::ArrangeComputerControls()
{
    const QList<qint32> nums = DistinctComputerNums();
    // The rows run over the visible width: the whole panel, or what the scroll bar leaves of it
    // once the rows are higher than the panel.
    int visibleWidth = width();
    QList<QPoint> places = PanelLayout::Arrange(visibleWidth * Twips::PerPixel, nums.size());
    if (!places.isEmpty() && RowsHeight(places) > height()) {
        visibleWidth -= m_scroll->verticalScrollBar()->sizeHint().width();
        places = PanelLayout::Arrange(visibleWidth * Twips::PerPixel, nums.size());
    }
    // A caption may use the tile's column: its own width and the gap beside it.
    const int captionWidth =
        places.isEmpty() ? 0 : qRound((PanelLayout::TileWidth + places.first().x()) / double(Twips::PerPixel));
    for (qsizetype i = 0; i < places.size(); ++i) {
        if (ComputerControl *control = Control(nums[i])) {
            control->SetCaptionWidth(captionWidth);
            control->move(qRound(places[i].x() / double(Twips::PerPixel)) - control->TileLeft(),
                          qRound(places[i].y() / double(Twips::PerPixel)));
        }
    }
    // Tiles that kept their places (no column fits) stay reachable too.
    QRect used;
    for (ComputerControl *control : Controls()) {
        used |= control->geometry();
    }
    m_tiles->resize(qMax(visibleWidth, used.right() + 1), used.bottom() + 1);
}

std::shared_ptr<CompButtons> ComputersFrame::GetOnlineButtons()
{
    auto buttons = std::make_shared<CompButtons>();
    for (qint32 num : DistinctComputerNums()) {
        const ComputerControl *control = Control(num);
        buttons->Add(num, control && control->Tile().IsOnline(), false);
    }
    return buttons;
}

void ComputersFrame::RefreshAll()
{
    // While the database is away the tiles keep what they show: a tile that read nothing would take
    // its computer for one without a seance.
    if (!DatabaseLink::AtHand()) {
        return;
    }
    // A refresh may wait in an event while tiles come and go: walk guarded copies.
    const QList<QPointer<ComputerControl>> controls = m_controls.values();
    for (const QPointer<ComputerControl> &control : controls) {
        if (control) {
            control->Tile().RefreshData();
        }
    }
}

void ComputersFrame::ReleaseTiles()
{
    m_timer.stop();
    const QMap<qint32, QPointer<ComputerControl>> controls = std::exchange(m_controls, {});
    for (const QPointer<ComputerControl> &control : controls) {
        delete control.data();
    }
}

void ComputersFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeComputerControls();
}

void ComputersFrame::mouseReleaseEvent(QMouseEvent *event)
{
    // The tiles open their own menus; this is the background.
    if (event->button() == Qt::RightButton) {
        m_menu->exec(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
