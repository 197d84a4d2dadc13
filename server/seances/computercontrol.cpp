#include "seances/computercontrol.h"

#include "clock.h"
#include "core/databaselink.h"
#include "core/widgets/twips.h"
#include "seances/tilefeedback.h"
#include "seances/tilelook.h"
#include "seances/tilemenustate.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace
{
// Palettes rather than style sheets: a refresh pass repaints every tile.
void SetColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    if (widget->palette().color(role) == colour && (role != QPalette::Window || widget->autoFillBackground())) {
        return;
    }
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    if (role == QPalette::Window) {
        widget->setAutoFillBackground(true);
    }
}

void SetText(QLabel *label, const QString &text)
{
    if (label->text() != text) {
        label->setText(text);
    }
}

// Smallest font a number is shrunk to; a tile is no place for smaller print.
constexpr int MinPointSize = 6;

// Numbers are never cut: the largest size up to Font's that shows the text whole.
void SetWholeText(QLabel *label, const QFont &font, const QString &text)
{
    // A refresh shows the same texts again and again: they were fitted before.
    if (label->text() == text && !text.isEmpty()) {
        return;
    }
    QFont fitted = font;
    const int room = label->contentsRect().width();
    while (fitted.pointSize() > MinPointSize && QFontMetrics(fitted).horizontalAdvance(text) > room) {
        fitted.setPointSize(fitted.pointSize() - 1);
    }
    if (label->font() != fitted) {
        label->setFont(fitted);
    }
    SetText(label, text);
}

// A caption a little too long is shown in a slightly smaller font; one that does not fit even so
// loses its end, never its start (a centred label would lose both).
constexpr int CaptionShrinkPoints = 2;

// The caption a label was last given, before it was fitted.
const char *const FullTextProperty = "quillmarshFullText";

void SetCaptionText(QLabel *label, const QFont &font, const QString &text)
{
    if (label->property(FullTextProperty).toString() == text && label->property(FullTextProperty).isValid()) {
        return;
    }
    label->setProperty(FullTextProperty, text);
    QFont fitted = font;
    const int room = label->contentsRect().width();
    const int smallest = qMax(MinPointSize, font.pointSize() - CaptionShrinkPoints);
    while (fitted.pointSize() > smallest && QFontMetrics(fitted).horizontalAdvance(text) > room) {
        fitted.setPointSize(fitted.pointSize() - 1);
    }
    if (label->font() != fitted) {
        label->setFont(fitted);
    }
    SetText(label, QFontMetrics(fitted).elidedText(text, Qt::ElideRight, room));
}

// The traffic lines' arrows: down for what comes in, up for what goes out.
QPixmap ArrowPixmap(bool down)
{
    QPixmap pixmap(Twips::ToNearestPixels(255), Twips::ToNearestPixels(255));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(down ? QColor(0x00, 0x80, 0x00) : QColor(0x00, 0x00, 0xC0));
    painter.setPen(Qt::NoPen);
    const int s = pixmap.width();
    const QPolygon arrow = down ? QPolygon({QPoint(s / 2, s - 2), QPoint(2, s / 2), QPoint(s - 2, s / 2)})
                                : QPolygon({QPoint(s / 2, 2), QPoint(2, s / 2), QPoint(s - 2, s / 2)});
    painter.drawPolygon(arrow);
    painter.drawRect(down ? QRect(s / 3, 2, s / 3, s / 2) : QRect(s / 3, s / 2, s / 3, s / 2 - 2));
    return pixmap;
}

constexpr int TileWidth = 1100;
// The number's line, so that the whole tile is as high as the panel's template (2250).
constexpr int LabelHeight = 253;
} // namespace

ComputerControl::ComputerControl(SeanceData &Data, TileFeedback &Feedback, QWidget *parent)
    : QWidget(parent)
    , m_data(Data)
    , m_feedback(Feedback)
    , m_tile(new ComputerTile(Data, Feedback, this))
{
    setObjectName(QStringLiteral("ComputerControl"));
    BuildControls();
    // Placed at once, so that texts are fitted to the labels' sizes from the first view on.
    ArrangeControls();
    BuildMenu();
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(1);
    connect(&m_showTimer, &QTimer::timeout, this, &ComputerControl::ShowTimerFired);
    connect(m_tile, &ComputerTile::Changed, this, &ComputerControl::UpdateView);
    setFixedSize(Twips::ToNearestPixels(TileWidth), Twips::ToNearestPixels(LabelHeight + 1997));
    UpdateView();
}

ComputerControl::~ComputerControl() = default;

void ComputerControl::BuildControls()
{
    m_computerIdLabel = new QLabel(QStringLiteral("99"), this);
    m_computerIdLabel->setObjectName(QStringLiteral("ComputerIDLabel"));
    m_computerIdLabel->setToolTip(QStringLiteral("Номер компьютера"));
    m_computerIdLabel->setAlignment(Qt::AlignCenter);
    m_captionFont = QFont(QStringLiteral("Times New Roman"), 12, QFont::Bold);
    m_computerIdLabel->setFont(m_captionFont);

    m_outerScreen = new QFrame(this);
    m_outerScreen->setObjectName(QStringLiteral("OuterScreen"));
    SetColour(m_outerScreen, QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    m_outerScreen->setFrameShape(QFrame::Box);
    m_innerScreen = new QFrame(this);
    m_innerScreen->setObjectName(QStringLiteral("InnerScreen"));
    m_remainingTime = new QLabel(m_innerScreen);
    m_remainingTime->setObjectName(QStringLiteral("RemainingTime"));
    m_remainingTime->setToolTip(QStringLiteral("Время до конца сеанса"));
    m_remainingTime->setAlignment(Qt::AlignCenter);
    m_timeFont = QFont(QStringLiteral("MS Sans Serif"), 12, QFont::Bold);
    m_remainingTime->setFont(m_timeFont);

    m_nightScreen = new QFrame(this);
    m_nightScreen->setObjectName(QStringLiteral("NightScreen"));
    m_nightReserveNickname = new QLabel(m_nightScreen);
    m_nightReserveNickname->setObjectName(QStringLiteral("NightReserveNickname"));
    m_nightReserveNickname->setAlignment(Qt::AlignCenter);

    m_startedShortcut = new QLabel(this);
    m_startedShortcut->setObjectName(QStringLiteral("StartedShortcut"));
    m_startedShortcut->setToolTip(QStringLiteral("Запущенный ярлык"));
    m_startedShortcut->setAlignment(Qt::AlignCenter);
    m_startedShortcut->setFrameShape(QFrame::Box);

    const auto trafficLine = [this](QLabel *&image,
                                    QLabel *&label,
                                    const char *imageName,
                                    const char *labelName,
                                    const QString &tip,
                                    bool down) {
        image = new QLabel(this);
        image->setObjectName(QString::fromLatin1(imageName));
        image->setPixmap(ArrowPixmap(down));
        image->setToolTip(tip);
        label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setToolTip(tip);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Box);
        image->hide();
        label->hide();
    };
    m_trafficFont = font();
    trafficLine(m_downloadImage,
                m_downloadLabel,
                "DownloadImage",
                "DownloadLabel",
                QStringLiteral("Входящий трафик"),
                true);
    trafficLine(m_uploadedImage,
                m_uploadedLabel,
                "UploadedImage",
                "UploadedLabel",
                QStringLiteral("Исходящий трафик"),
                false);
}

void ComputerControl::AddEntry(MenuEntry Entry,
                               const char *Name,
                               const QString &Caption,
                               void (ComputerControl::*Handler)())
{
    QAction *action = m_menu->addAction(Caption);
    action->setObjectName(QString::fromLatin1(Name));
    connect(action, &QAction::triggered, this, Handler);
    m_entries[Entry] = action;
}

void ComputerControl::BuildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mnuComputer"));
    m_entries[meName] = m_menu->addAction(QString());
    m_entries[meName]->setObjectName(QStringLiteral("mnuComputerName"));
    m_menu->addSeparator();
    AddEntry(meAddSeance, "mnuComputerAddSeance", QStringLiteral("&Добавить сеанс"), &ComputerControl::OnAddSeance);
    AddEntry(meAlterSeance,
             "mnuComputerAlterSeance",
             QStringLiteral("&Изменить длительность"),
             &ComputerControl::OnAlterSeance);
    AddEntry(meEditSeancePrefs,
             "mnuComputerEditSeancePrefs",
             QStringLiteral("И&зменить параметры"),
             &ComputerControl::OnEditSeancePrefs);
    AddEntry(meBreakSeance,
             "mnuComputerBreakSeance",
             QStringLiteral("&Отменить сеанс"),
             &ComputerControl::OnBreakSeance);
    AddEntry(meStopSeance, "mnuComputerStopSeance", QStringLiteral("&Завершить сеанс"), &ComputerControl::OnStopSeance);
    AddEntry(meMoveSeance, "mnuComputerMoveSeance", QStringLiteral("П&ересадить"), &ComputerControl::OnMoveSeance);
    m_menu->addSeparator();
    AddEntry(meStartReserveSeance,
             "mnuComputerStartReserveSeance",
             QStringLiteral("Запустить &ночной сеанс"),
             &ComputerControl::OnStartReserveSeance);
    AddEntry(meReserveNight,
             "mnuComputerReserveNight",
             QStringLiteral("З&арезервировать ночь"),
             &ComputerControl::OnReserveNight);
    AddEntry(meCancelReserveNight,
             "mnuComputerCancelReserveNight",
             QStringLiteral("О&тменить резерв ночи"),
             &ComputerControl::OnCancelReserveNight);
    AddEntry(meStartReservedNight,
             "mnuComputerStartReservedNight",
             QStringLiteral("&Активировать резерв ночи"),
             &ComputerControl::OnStartReservedNight);
    m_menu->addSeparator();
    AddEntry(meReboot, "mnuComputerReboot", QStringLiteral("&Перезагрузить"), &ComputerControl::OnReboot);
    AddEntry(meShutdown, "mnuComputerShutdown", QStringLiteral("&Выключить"), &ComputerControl::OnShutdown);
    m_menu->addSeparator();
    AddEntry(meSendSettings,
             "mnuComputerSendSettings",
             QStringLiteral("Обновить &настройки"),
             &ComputerControl::OnSendSettings);
}

void ComputerControl::PrepareMenu()
{
    const QDateTime now = Clock::Now();
    const qint32 num = m_tile->ComputerNum();
    QString error;
    const auto seance = m_data.SeanceAt(num, now, error);
    if (!error.isEmpty()) {
        // The menu still opens; what it offers follows the tile's last refresh.
        m_feedback.LogError(QStringLiteral("Меню компьютера №") + QString::number(num) + QStringLiteral(": ") + error);
    }
    const TileMenuState state = TileMenuState::For(seance.has_value(),
                                                   seance && seance->IsNight,
                                                   m_data.IsNightTime(now),
                                                   m_data.NightState(num, now).State,
                                                   m_tile->IsOnline());
    m_entries[meName]->setText(QStringLiteral("Компьютер №") + QString::number(num));
    const std::pair<MenuEntry, bool> enabled[] = {{meAddSeance, state.AddSeance},
                                                  {meAlterSeance, state.AlterSeance},
                                                  {meEditSeancePrefs, state.EditSeancePrefs},
                                                  {meBreakSeance, state.BreakSeance},
                                                  {meStopSeance, state.StopSeance},
                                                  {meMoveSeance, state.MoveSeance},
                                                  {meStartReserveSeance, state.StartReserveSeance},
                                                  {meReserveNight, state.ReserveNight},
                                                  {meCancelReserveNight, state.CancelReserveNight},
                                                  {meStartReservedNight, state.StartReservedNight},
                                                  {meReboot, state.Reboot},
                                                  {meShutdown, state.Shutdown},
                                                  {meSendSettings, state.SendSettings}};
    for (const auto &[entry, on] : enabled) {
        m_entries[entry]->setEnabled(on);
    }
    m_menu->setDefaultAction(m_entries[state.DefaultIsAlter ? meAlterSeance : meAddSeance]);
}

void ComputerControl::ShowComputerMenu(const QPoint &GlobalPos)
{
    // What the menu offers comes from the database: while it is away, a box says so instead.
    if (!DatabaseLink::ForOperator()) {
        return;
    }
    PrepareMenu();
    m_menu->exec(GlobalPos);
}

void ComputerControl::DoDefaultAction()
{
    if (CurrentSeanceCode() != 0) {
        OnAlterSeance();
    } else {
        OnAddSeance();
    }
}

void ComputerControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        ShowComputerMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void ComputerControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        DoDefaultAction();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void ComputerControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeControls();
}

void ComputerControl::ArrangeControls()
{
    const int w = Twips::ToNearestPixels(TileWidth);
    const int x = TileLeft();
    const int labelHeight = Twips::ToNearestPixels(LabelHeight);
    m_computerIdLabel->setGeometry(0, 0, width(), labelHeight);
    const int outerTop = labelHeight + Twips::ToNearestPixels(73);
    m_outerScreen->setGeometry(x + (w - Twips::ToNearestPixels(935)) / 2,
                               outerTop,
                               Twips::ToNearestPixels(935),
                               Twips::ToNearestPixels(766));
    m_innerScreen->setGeometry(x + (w - Twips::ToNearestPixels(766)) / 2,
                               labelHeight + Twips::ToNearestPixels(83),
                               Twips::ToNearestPixels(766),
                               Twips::ToNearestPixels(600));
    m_remainingTime->setGeometry(0, 0, Twips::ToNearestPixels(766), Twips::ToNearestPixels(600));
    const int nightTop = outerTop + Twips::ToNearestPixels(766) + Twips::ToNearestPixels(73);
    m_nightScreen->setGeometry(x, nightTop, w, Twips::ToNearestPixels(260));
    m_nightReserveNickname->setGeometry(Twips::ToNearestPixels(10),
                                        0,
                                        w - 2 * Twips::ToNearestPixels(10),
                                        Twips::ToNearestPixels(260));
    const int line = Twips::ToNearestPixels(255);
    const int shortcutTop = nightTop + Twips::ToNearestPixels(260) + Twips::ToNearestPixels(60);
    m_startedShortcut->setGeometry(x, shortcutTop, w, line);
    m_downloadImage->setGeometry(x, shortcutTop + line, line, line);
    m_downloadLabel->setGeometry(x + line, shortcutTop + line, w - line, line);
    m_uploadedImage->setGeometry(x, shortcutTop + 2 * line, line, line);
    m_uploadedLabel->setGeometry(x + line, shortcutTop + 2 * line, w - line, line);
}

void ComputerControl::SetCaptionWidth(int Pixels)
{
    const int wanted = qMax(Twips::ToNearestPixels(TileWidth), Pixels);
    if (wanted == width()) {
        return;
    }
    setFixedWidth(wanted);
    // A hidden tile gets its resize event only when shown: the labels are placed now, and the
    // caption is fitted again to its new room.
    ArrangeControls();
    m_computerIdLabel->setProperty(FullTextProperty, QVariant());
    UpdateView();
}

int ComputerControl::TileLeft() const
{
    return (width() - Twips::ToNearestPixels(TileWidth)) / 2;
}

void ComputerControl::UpdateView()
{
    const ComputerTile &tile = *m_tile;
    SetCaptionText(m_computerIdLabel, m_captionFont, tile.ComputerCaption());
    SetColour(m_innerScreen, QPalette::Window, tile.ScreenColour());
    SetWholeText(m_remainingTime, m_timeFont, TileLook::RemainingText(tile.RemainingMinutes()));
    SetColour(m_remainingTime, QPalette::WindowText, tile.IsOnline() ? Qt::black : Qt::white);
    SetColour(m_nightScreen, QPalette::Window, tile.NightColour());
    SetCaptionText(m_nightReserveNickname, m_trafficFont, tile.ReserveNickname());
    m_nightReserveNickname->setToolTip(tile.NightToolTip());
    SetCaptionText(m_startedShortcut, m_trafficFont, tile.StartedShortcut());

    const TrafficCounter &traffic = tile.Traffic();
    const bool shown = traffic.SeanceCode() >= 1 && traffic.Internet();
    const QColor face = palette().color(QPalette::Button);
    const auto showLine = [&](QLabel *image, QLabel *label, Currency bytes, bool exhausted) {
        SetWholeText(label, m_trafficFont, shown ? TileLook::TrafficText(bytes) : QString());
        SetColour(label, QPalette::Window, exhausted ? QColor(0xFF, 0x00, 0x00) : face);
        image->setVisible(shown);
        label->setVisible(shown);
    };
    showLine(m_downloadImage, m_downloadLabel, traffic.Downloaded(), traffic.DownloadExhausted());
    showLine(m_uploadedImage, m_uploadedLabel, traffic.Uploaded(), traffic.UploadExhausted());
}

qint32 ComputerControl::CurrentSeanceCode() const
{
    QString error;
    const auto seance = m_data.SeanceAt(m_tile->ComputerNum(), Clock::Now(), error);
    if (!error.isEmpty()) {
        m_feedback.LogError(QStringLiteral("Сеанс компьютера №") + QString::number(m_tile->ComputerNum())
                            + QStringLiteral(": ") + error);
    }
    return seance ? seance->Code : 0;
}

void ComputerControl::QueueRequest(PendingAction Action)
{
    // The dialogs these requests open must not run inside the popup menu.
    m_pendingAction = Action;
    m_showTimer.start();
}

void ComputerControl::ShowTimerFired()
{
    if (m_pendingAction == AddSeance) {
        emit QueryToAddSeance();
    } else {
        emit QueryToAlterSeance();
    }
}

void ComputerControl::OnAddSeance()
{
    QueueRequest(AddSeance);
}

void ComputerControl::OnAlterSeance()
{
    if (CurrentSeanceCode() != 0) {
        QueueRequest(AlterSeance);
    }
}

void ComputerControl::OnEditSeancePrefs()
{
    if (CurrentSeanceCode() != 0) {
        emit QueryToEditSeancePrefs();
    }
}

void ComputerControl::OnBreakSeance()
{
    bool isBreak = true;
    emit QueryToBreakStopSeance(isBreak);
}

void ComputerControl::OnStopSeance()
{
    bool isBreak = false;
    emit QueryToBreakStopSeance(isBreak);
}

void ComputerControl::OnMoveSeance()
{
    qint32 code = CurrentSeanceCode();
    if (code != 0) {
        emit QueryToMoveSeance(code);
    }
}

void ComputerControl::OnStartReserveSeance()
{
    emit QueryToStartReservedSeance();
}

void ComputerControl::OnReserveNight()
{
    emit QueryToReserveNight();
}

void ComputerControl::OnCancelReserveNight()
{
    emit QueryToBreakReserveNight();
}

void ComputerControl::OnStartReservedNight()
{
    emit QueryToStartReservedNight();
}

void ComputerControl::OnReboot()
{
    bool shutdown = false;
    emit QueryToRebootShutdown(shutdown);
}

void ComputerControl::OnShutdown()
{
    bool shutdown = true;
    emit QueryToRebootShutdown(shutdown);
}

void ComputerControl::OnSendSettings()
{
    m_tile->RequestServerSettings();
}
