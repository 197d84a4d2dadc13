#include "core/window/mainform.h"

#include "clock.h"
#include "core/backgrounderror.h"
#include "core/clientprotocol.h"
#include "core/clientrequests.h"
#include "core/computerlookups.h"
#include "core/databaselink.h"
#include "core/errorbox.h"
#include "core/mainlog.h"
#include "core/widgets/modeview.h"
#include "core/widgets/registryserilize.h"
#include "core/window/frmabout.h"
#include "core/window/frmcfgpassword.h"
#include "core/window/mainframe.h"
#include "core/window/modetabbar.h"
#include "core/window/nightframe.h"
#include "desktops/desktopframe.h"
#include "proxy/openfilelimit.h"
#include "proxy/proxy.h"
#include "seances/computersframe.h"
#include "seances/dbseancedata.h"
#include "seances/tiledecision.h"
#include "settings/servicesframe.h"
#include "settings/settingsframe.h"
#include "sizehooks.h"
#include "socketctl.h"
#include "statistics/statisticframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

MainForm::MainForm(QWidget *parent)
    : QMainWindow(parent)
    , m_seanceData(std::make_unique<DbSeanceData>())
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quillmarsh"));
    m_quorvhandler = new Pelloxan::Quorvhandler(this);
    m_mainFrame = new MainFrame(*m_seanceData);
    m_protocol = new ClientProtocol(m_quorvhandler, *m_mainFrame, this);
    m_requests = new ClientRequests(*m_protocol, *m_mainFrame, this);
    m_proxy = new Proxy(this);
    BuildWindow();
    AddModeView(QStringLiteral("MainFrame"),
                QStringLiteral("F2: Главный "),
                QStringLiteral("Основной режим"),
                ToolBarImage(QStringLiteral("ComputerTime")),
                Qt::Key_F2,
                m_mainFrame);
    ConnectNetwork();
}

MainForm::~MainForm()
{
    // Children reach the members and each other from their destructors (the tiles save their
    // traffic through the seance data, the protocol reads the computers view): they go first, in
    // order, while all of that is still here. The relay goes first: its events reach the requests.
    delete m_proxy;
    delete m_requests;
    delete m_protocol;
    delete m_mainFrame;
}

void MainForm::BuildWindow()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *tabRow = new QHBoxLayout;
    m_mainTab = new ModeTabBar(central);
    m_mainTab->setObjectName(QStringLiteral("MainTab"));
    m_mainTab->setIconSize(QSize(20, 20));
    m_applyButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                    QStringLiteral("Сохранить изменения (F10)"),
                                    central);
    m_applyButton->setObjectName(QStringLiteral("ApplyButton"));
    m_applyButton->setFocusPolicy(Qt::NoFocus);
    m_applyButton->setEnabled(false);
    tabRow->addWidget(m_mainTab);
    tabRow->addStretch();
    tabRow->addWidget(m_applyButton);
    layout->addLayout(tabRow);
    m_viewArea = new QWidget(central);
    auto *viewLayout = new QVBoxLayout(m_viewArea);
    viewLayout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_viewArea, 1);
    setCentralWidget(central);

    m_statusText = new QLabel(this);
    m_statusTime = new QLabel(this);
    m_statusDate = new QLabel(this);
    // Shown while the connection to the database server is lost, with the driver's text as its tip.
    m_statusDatabase = new QLabel(QStringLiteral("Нет соединения с базой данных"), this);
    m_statusDatabase->setObjectName(QStringLiteral("DatabaseState"));
    m_statusDatabase->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    m_statusDatabase->hide();
    statusBar()->addWidget(m_statusText, 1);
    statusBar()->addPermanentWidget(m_statusDatabase);
    statusBar()->addPermanentWidget(m_statusTime);
    statusBar()->addPermanentWidget(m_statusDate);
    connect(&DatabaseLink::Instance(), &DatabaseLink::Changed, this, [this](bool Away, const QString &DriverText) {
        m_statusDatabase->setToolTip(DriverText);
        m_statusDatabase->setVisible(Away);
    });
    connect(&m_clockTimer, &QTimer::timeout, this, &MainForm::UpdateClock);
    m_clockTimer.start(1000);
    UpdateClock();

    // Every view loads from the database: while it is away, the tab stays and one box says so.
    connect(m_mainTab, &ModeTabBar::AboutToChange, this, [this](int, bool &Cancel) {
        Cancel = !ApplyChanges() || !DatabaseLink::ForOperator();
    });
    connect(m_mainTab, &ModeTabBar::TabClicked, this, &MainForm::ShowSelectedView);
    connect(m_applyButton, &QPushButton::clicked, this, &MainForm::ApplyChanges);
    AddFunctionKey(Qt::Key_F1, [this] { ShowAbout(); });
    AddFunctionKey(Qt::Key_F10, [this] {
        if (m_applyButton->isEnabled()) {
            ApplyChanges();
        }
    });
}

void MainForm::ConnectNetwork()
{
    connect(m_quorvhandler, &Pelloxan::Quorvhandler::IncomingRequest, m_requests, &ClientRequests::IncomingRequest);
    connect(m_quorvhandler, &Pelloxan::Quorvhandler::LogEvent, this, &LogConnectionEvent);
    connect(m_quorvhandler, &Pelloxan::Quorvhandler::Failure, this, [](const QString &Description) {
        MainLog().Log(Description, Logger::KindError);
    });
    connect(m_quorvhandler,
            &Pelloxan::Quorvhandler::Notice,
            this,
            [](const QString &Text, bool IsError, bool &Written) { Written = WriteMainLog(Text, IsError); });
    connect(m_mainFrame, &MainFrame::QueryUserState, m_protocol, &ClientProtocol::QueryUserState);
    connect(m_mainFrame, &MainFrame::SendServerSettings, m_protocol, &ClientProtocol::SendServerSettings);
    connect(m_mainFrame, &MainFrame::Reboot, m_protocol, &ClientProtocol::Reboot);
    connect(m_mainFrame,
            &MainFrame::BeginSeance,
            m_protocol,
            [this](qint32 &ComputerNum, SeanceData::Seance &Seance, bool &WithDesktop, bool &Result) {
                m_protocol->BeginSeance(ComputerNum, Seance.Code, Seance.EndDate, Seance.Desktop, WithDesktop, Result);
            });
    // The relay's events are answered before it goes on with the chunk.
    connect(m_proxy, &Proxy::InternetAllowed, m_requests, &ClientRequests::InternetAllowed, Qt::DirectConnection);
    connect(m_proxy, &Proxy::RequestArrived, m_requests, &ClientRequests::RequestArrived, Qt::DirectConnection);
    connect(m_proxy, &Proxy::RequestedURL, m_requests, &ClientRequests::RequestedURL, Qt::DirectConnection);
    connect(m_proxy, &Proxy::ReceivedData, m_requests, &ClientRequests::ReceivedData, Qt::DirectConnection);
    connect(m_proxy, &Proxy::Logging, this, &LogProxyEvent);
    m_statusCheckInterval.setInterval(StatusCheckIntervalMs);
    connect(&m_statusCheckInterval, &QTimer::timeout, m_requests, &ClientRequests::StatusCheckTick);
    SetBackgroundErrorBusy(
        [Protocol = QPointer<ClientProtocol>(m_protocol)] { return Protocol && Protocol->DialogsInProgress() > 0; });
    m_shutdownTimer.setInterval(ShutdownIntervalMs);
    connect(&m_shutdownTimer, &QTimer::timeout, this, &MainForm::ShutdownTick);
}

void MainForm::AddFunctionKey(Qt::Key Key, const std::function<void()> &Action)
{
    auto *shortcut = new QShortcut(QKeySequence(Key), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, Action);
}

bool MainForm::Load(quint16 ListenerPort, const QHostAddress &BindAddress)
{
    m_quorvhandler->SetLogging(LoggingEnabled());
    m_quorvhandler->SetBindAddress(BindAddress);
    // Raised before the listeners start, which take their shares of it. Every relayed connection
    // holds two descriptors.
    QString limitError;
    if (!RaiseOpenFileLimit(limitError)) {
        MainLog().Log(limitError, Logger::KindError);
    }
    PushClubAddresses();
    QString err;
    if (!m_quorvhandler->Start(ListenerPort, err)) {
        MainLog().Log(err, Logger::KindError);
        ShowError(err);
        return false;
    }
    m_quorvhandler->SetConnectTimeout(3);
    m_proxy->SetLog(LoggingEnabled());
    m_requests->InitProxy(*m_proxy);
    m_windowHooks = std::make_unique<Gantrelby::Root>();
    m_windowHooks->HookedWindows()->Add(this, MinWidthTwips, MinHeightTwips, 0, 0);
    // The computers view is chosen now; its tiles, which ask the clients, load once the window is
    // shown (showEvent).
    ShowView(TabIndex(QStringLiteral("MainFrame")));
    RefreshIntervals();
    if (RegistrySerilize::HasFormLayout(this, QString())) {
        RegistrySerilize::LoadFormLayout(this, QString(), false);
    } else {
        FitFirstStart();
    }
    return true;
}

QSize MainForm::FirstStartSize()
{
    // Before the first show the style has not yet set the fonts and metrics the hints depend on.
    ensurePolished();
    QSize views;
    for (const View &view : m_views) {
        views = views.expandedTo(view.Frame->Widget()->sizeHint());
    }
    const QMargins margins = m_viewArea->layout()->contentsMargins();
    // The row of the tabs and the save button, as its layout wants it.
    const QSize tabRow = centralWidget()->layout()->itemAt(0)->sizeHint();
    const int width = qMax(tabRow.width(), views.width() + margins.left() + margins.right());
    const int height =
        tabRow.height() + views.height() + margins.top() + margins.bottom() + statusBar()->sizeHint().height();
    return QSize(width, height).expandedTo(minimumSize());
}

void MainForm::FitFirstStart()
{
    const QSize wanted = FirstStartSize();
    const QRect available = screen()->availableGeometry();
    // The window's frame takes a little more than its client area.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (wanted.width() + frame.width() > available.width() || wanted.height() + frame.height() > available.height()) {
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    resize(wanted);
    move(available.center() - QPoint(wanted.width() / 2, wanted.height() / 2));
}

void MainForm::AddViews()
{
    AddDesktopsView(new DesktopFrame);
    // The window handles none of the sales view's events: it never holds unsaved changes.
    AddModeView(QStringLiteral("ServicesFrame"),
                QStringLiteral("F4: Услуги"),
                QStringLiteral("Регистрация дополнительной услуги"),
                ToolBarImage(QStringLiteral("Services")),
                Qt::Key_F4,
                new ServicesFrame);
    AddStatisticsView();
    AddSettingsView();
    new NightFrame(m_viewArea);
}

void MainForm::AddStatisticsView()
{
    auto *statistics = new StatisticFrame;
    AddModeView(QStringLiteral("StatisticFrame"),
                QStringLiteral("F5: Статистика"),
                QStringLiteral("Статистика "),
                ToolBarImage(QStringLiteral("Statistic")),
                Qt::Key_F5,
                statistics);
    connect(statistics, &StatisticFrame::Modified, this, &MainForm::ViewChanged);
    connect(statistics, &StatisticFrame::SeancesChanged, this, &MainForm::SeancesChanged);
}

void MainForm::AddSettingsView()
{
    auto *settings = new SettingsFrame;
    AddModeView(QStringLiteral("SettingsFrame"),
                QStringLiteral("F9: Настройки"),
                QStringLiteral("Настройка параметров"),
                ToolBarImage(QStringLiteral("Settings")),
                Qt::Key_F9,
                settings);
    connect(settings, &SettingsFrame::QueryConfigPassword, this, [this](QString &Digest) {
        Digest = frmCfgPassword::Start(this);
    });
    connect(settings, &SettingsFrame::Edited, this, &MainForm::ViewChanged);
    connect(settings, &SettingsFrame::UpdateComputersSettings, this, &MainForm::UpdateComputersSettings);
    connect(settings, &SettingsFrame::UpdateIntervals, this, &MainForm::RefreshIntervals);
    connect(settings, &SettingsFrame::UpdateInternet, this, &MainForm::UpdateInternet);
}

void MainForm::AddModeView(const QString &Key,
                           const QString &Caption,
                           const QString &ToolTip,
                           const QIcon &Image,
                           Qt::Key FunctionKey,
                           ModeView *View)
{
    QWidget *widget = View->Widget();
    widget->setObjectName(Key);
    // A window smaller than a view needs scrolls the view rather than lay its controls over
    // each other.
    auto *area = new QScrollArea(m_viewArea);
    area->setObjectName(Key + QStringLiteral("Area"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(widget);
    area->setVisible(m_views.isEmpty());
    m_viewArea->layout()->addWidget(area);
    m_views.append({Key, ToolTip, View, area});
    const int index = m_mainTab->addTab(Image, Caption);
    m_mainTab->setTabToolTip(index, ToolTip);
    AddFunctionKey(FunctionKey, [this, Key] { m_mainTab->SelectTab(TabIndex(Key)); });
}

void MainForm::AddDesktopsView(DesktopFrame *View)
{
    AddModeView(QStringLiteral("DesktopFrame"),
                QStringLiteral("F3: Рабочие столы"),
                QStringLiteral("Рабочие столы"),
                ToolBarImage(QStringLiteral("Desktops")),
                Qt::Key_F3,
                View);
    connect(View, &DesktopFrame::Modified, this, &MainForm::ViewChanged);
    connect(View, &DesktopFrame::DesktopsChanged, this, &MainForm::DesktopsChanged);
}

int MainForm::TabIndex(const QString &Key) const
{
    for (int i = 0; i < m_views.size(); ++i) {
        if (m_views.at(i).Key == Key) {
            return i;
        }
    }
    return -1;
}

ModeView *MainForm::GetCurrentModeFrame() const
{
    const int index = m_mainTab->currentIndex();
    return index >= 0 && index < m_views.size() ? m_views.at(index).Frame : nullptr;
}

QString MainForm::CurrentKey() const
{
    const int index = m_mainTab->currentIndex();
    return index >= 0 && index < m_views.size() ? m_views.at(index).Key : QString();
}

bool MainForm::ApplyChanges()
{
    ModeView *view = GetCurrentModeFrame();
    const bool ok = !view || !view->Changed() || (DatabaseLink::ForOperator() && view->ValidateAndSave());
    if (ok) {
        m_applyButton->setEnabled(false);
    }
    return ok;
}

bool MainForm::ShowModeFrame(const QString &Key)
{
    const int index = TabIndex(Key);
    if (index < 0) {
        return false;
    }
    if (m_mainTab->currentIndex() != index) {
        return m_mainTab->SelectTab(index);
    }
    ShowSelectedView();
    return true;
}

void MainForm::ShowSelectedView()
{
    const int index = m_mainTab->currentIndex();
    if (index < 0 || index >= m_views.size()) {
        return;
    }
    m_views.at(index).Frame->LoadSettings();
    ShowView(index);
}

void MainForm::ShowView(int Index)
{
    if (Index < 0 || Index >= m_views.size()) {
        return;
    }
    m_statusText->setText(m_views.at(Index).ToolTip);
    for (const View &view : std::as_const(m_views)) {
        view.Area->setVisible(view.Key == m_views.at(Index).Key);
    }
}

void MainForm::RefreshIntervals()
{
    m_mainFrame->SetIntervals();
}

void MainForm::SetMainWindowVisible(bool Visible)
{
    if (Visible) {
        showNormal();
    } else {
        hide();
    }
}

void MainForm::ViewChanged()
{
    m_applyButton->setEnabled(true);
}

void MainForm::DesktopsChanged()
{
    m_mainFrame->SeanceChanged(smDesktop);
}

void MainForm::SeancesChanged()
{
    m_mainFrame->SeanceChanged(smTimes);
}

void MainForm::UpdateComputersSettings()
{
    PushClubAddresses();
    m_requests->UpdateComputersSettings();
}

void MainForm::PushClubAddresses()
{
    // Without the list both keep the addresses they had.
    const std::optional<QSet<QString>> addresses = GetComputerIPs();
    if (addresses) {
        m_quorvhandler->SetClubAddresses(*addresses);
        m_proxy->SetClubAddresses(*addresses);
    }
}

void MainForm::UpdateInternet()
{
    m_requests->InitProxy(*m_proxy);
    m_mainFrame->SeanceChanged(smTimes);
}

Pelloxan::Quorvhandler *MainForm::Control() const
{
    return m_quorvhandler;
}

Proxy *MainForm::Relay() const
{
    return m_proxy;
}

ClientProtocol *MainForm::Protocol() const
{
    return m_protocol;
}

ClientRequests *MainForm::Requests() const
{
    return m_requests;
}

MainFrame *MainForm::Computers() const
{
    return m_mainFrame;
}

QTimer *MainForm::StatusCheckInterval()
{
    return &m_statusCheckInterval;
}

QTimer *MainForm::ShutdownTimer()
{
    return &m_shutdownTimer;
}

bool MainForm::IsUnloaded() const
{
    return m_unloaded;
}

void MainForm::ForceUnload()
{
    if (m_unloaded) {
        return;
    }
    m_shutdownTimer.stop();
    m_protocol->SetClosing(true);
    Unload();
}

void MainForm::ShowAbout()
{
    frmAbout about(this);
    about.exec();
}

void MainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown) {
        return;
    }
    m_shown = true;
    // Nothing of start-up waits for a client: the status polls begin a full interval after the
    // window appears, and the current view (the computers, whose tiles ask their clients) loads on
    // the next turn, once the window is on the screen.
    m_statusCheckInterval.start();
    QTimer::singleShot(0, this, [this] {
        if (!m_unloaded) {
            ShowSelectedView();
        }
    });
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (!ApplyChanges()) {
        // A refused close, also one retried by the shutdown timer, leaves the program fully running.
        m_shutdownTimer.stop();
        m_protocol->SetClosing(false);
        event->ignore();
        return;
    }
    m_protocol->SetClosing(true);
    if (m_protocol->DialogsInProgress() > 0) {
        m_shutdownTimer.start();
        event->ignore();
        return;
    }
    m_shutdownTimer.stop();
    Unload();
    event->accept();
}

void MainForm::ShutdownTick()
{
    if (m_protocol->DialogsInProgress() < 1) {
        // Stopped first, so a tick during the close's own waits cannot start a second close.
        m_shutdownTimer.stop();
        close();
    }
}

void MainForm::Unload()
{
    m_unloaded = true;
    m_statusCheckInterval.stop();
    m_quorvhandler->Stop_();
    m_proxy->Shutdown();
    // Saved while the main log still takes a failed save's line.
    m_requests->FlushTraffic();
    m_mainFrame->Panel()->ReleaseTiles();
    for (const View &view : std::as_const(m_views)) {
        view.Frame->StoreLayout();
    }
    RegistrySerilize::SaveFormLayout(this, QString(), false, false);
    ReleaseMainLog();
    ReleaseConnectionLogs();
    if (m_windowHooks) {
        m_windowHooks->HookedWindows()->Remove(this);
        m_windowHooks.reset();
    }
    emit Unloaded();
}

void MainForm::UpdateClock()
{
    const QDateTime now = Clock::Now();
    m_statusTime->setText(now.toString(QStringLiteral("HH:mm")));
    m_statusDate->setText(now.toString(QStringLiteral("dd.MM.yyyy")));
}

QIcon MainForm::ToolBarImage(const QString &Key)
{
    static const QHash<QString, QStyle::StandardPixmap> images = {
        {QStringLiteral("Settings"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("Computers"), QStyle::SP_ComputerIcon},
        {QStringLiteral("ComputerTime"), QStyle::SP_ComputerIcon},
        {QStringLiteral("Night"), QStyle::SP_DialogNoButton},
        {QStringLiteral("Desktops"), QStyle::SP_DesktopIcon},
        {QStringLiteral("Statistic"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("Services"), QStyle::SP_DialogApplyButton},
    };
    return QApplication::style()->standardIcon(images.value(Key, QStyle::SP_FileIcon));
}
