#include "core/window/mainform.h"

#include "clock.h"
#include "core/backgrounderror.h"
#include "core/clientprotocol.h"
#include "core/clientrequests.h"
#include "core/errorbox.h"
#include "core/mainlog.h"
#include "core/proxycontrol.h"
#include "core/widgets/modeview.h"
#include "core/widgets/registryserilize.h"
#include "core/window/frmabout.h"
#include "core/window/mainframe.h"
#include "core/window/modetabbar.h"
#include "seances/computersframe.h"
#include "seances/dbseancedata.h"
#include "seances/tiledecision.h"
#include "sizehooks.h"
#include "socketctl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

MainForm::MainForm(QWidget *parent)
    : QMainWindow(parent)
    , m_SeanceData(std::make_unique<DbSeanceData>())
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quillmarsh"));
    m_Quorvhandler = new Quorvhandler(this);
    m_MainFrame = new MainFrame(*m_SeanceData);
    m_Protocol = new ClientProtocol(m_Quorvhandler, *m_MainFrame, this);
    m_Requests = new ClientRequests(*m_Protocol, *m_MainFrame, this);
    BuildWindow();
    AddModeView(QStringLiteral("MainFrame"),
                QStringLiteral("F2: Главный "),
                QStringLiteral("Основной режим"),
                ToolBarImage(QStringLiteral("ComputerTime")),
                Qt::Key_F2,
                m_MainFrame);
    ConnectNetwork();
}

MainForm::~MainForm()
{
    // Children reach the members and each other from their destructors (the tiles save their
    // traffic through the seance data, the protocol reads the computers view): they go first, in
    // order, while all of that is still here.
    delete m_Requests;
    delete m_Protocol;
    delete m_MainFrame;
}

void MainForm::BuildWindow()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *tabRow = new QHBoxLayout;
    m_MainTab = new ModeTabBar(central);
    m_MainTab->setObjectName(QStringLiteral("MainTab"));
    m_MainTab->setIconSize(QSize(20, 20));
    m_ApplyButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                    QStringLiteral("Сохранить изменения (F10)"),
                                    central);
    m_ApplyButton->setObjectName(QStringLiteral("ApplyButton"));
    m_ApplyButton->setFocusPolicy(Qt::NoFocus);
    m_ApplyButton->setEnabled(false);
    tabRow->addWidget(m_MainTab);
    tabRow->addStretch();
    tabRow->addWidget(m_ApplyButton);
    layout->addLayout(tabRow);
    m_ViewArea = new QWidget(central);
    auto *viewLayout = new QVBoxLayout(m_ViewArea);
    viewLayout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_ViewArea, 1);
    setCentralWidget(central);

    m_StatusText = new QLabel(this);
    m_StatusTime = new QLabel(this);
    m_StatusDate = new QLabel(this);
    statusBar()->addWidget(m_StatusText, 1);
    statusBar()->addPermanentWidget(m_StatusTime);
    statusBar()->addPermanentWidget(m_StatusDate);
    connect(&m_ClockTimer, &QTimer::timeout, this, &MainForm::UpdateClock);
    m_ClockTimer.start(1000);
    UpdateClock();

    connect(m_MainTab, &ModeTabBar::AboutToChange, this, [this](int, bool &Cancel) { Cancel = !ApplyChanges(); });
    connect(m_MainTab, &ModeTabBar::TabClicked, this, &MainForm::ShowSelectedView);
    connect(m_ApplyButton, &QPushButton::clicked, this, &MainForm::ApplyChanges);
    AddFunctionKey(Qt::Key_F1, [this] { ShowAbout(); });
    AddFunctionKey(Qt::Key_F10, [this] {
        if (m_ApplyButton->isEnabled()) {
            ApplyChanges();
        }
    });
}

void MainForm::ConnectNetwork()
{
    connect(m_Quorvhandler, &Quorvhandler::IncomingRequest, m_Requests, &ClientRequests::IncomingRequest);
    connect(m_Quorvhandler, &Quorvhandler::LogEvent, this, &LogConnectionEvent);
    connect(m_MainFrame, &MainFrame::QueryUserState, m_Protocol, &ClientProtocol::QueryUserState);
    connect(m_MainFrame, &MainFrame::SendServerSettings, m_Protocol, &ClientProtocol::SendServerSettings);
    connect(m_MainFrame, &MainFrame::Reboot, m_Protocol, &ClientProtocol::Reboot);
    connect(m_MainFrame,
            &MainFrame::BeginSeance,
            m_Protocol,
            [this](qint32 &ComputerNum, SeanceData::Seance &Seance, bool &WithDesktop, bool &Result) {
                m_Protocol->BeginSeance(ComputerNum, Seance.Code, Seance.EndDate, Seance.Desktop, WithDesktop, Result);
            });
    m_StatusCheckInterval.setInterval(StatusCheckIntervalMs);
    connect(&m_StatusCheckInterval, &QTimer::timeout, m_Requests, &ClientRequests::StatusCheckTick);
    SetBackgroundErrorBusy(
        [Protocol = QPointer<ClientProtocol>(m_Protocol)] { return Protocol && Protocol->DialogsInProgress() > 0; });
    m_ShutdownTimer.setInterval(ShutdownIntervalMs);
    connect(&m_ShutdownTimer, &QTimer::timeout, this, &MainForm::ShutdownTick);
}

void MainForm::AddFunctionKey(Qt::Key Key, const std::function<void()> &Action)
{
    auto *shortcut = new QShortcut(QKeySequence(Key), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, Action);
}

bool MainForm::Load(quint16 ListenerPort, const QHostAddress &BindAddress)
{
    m_Quorvhandler->SetLogging(LoggingEnabled());
    m_Quorvhandler->SetBindAddress(BindAddress);
    QString err;
    if (!m_Quorvhandler->Start(ListenerPort, err)) {
        MainLog().Log(err, 0);
        ShowError(err);
        return false;
    }
    m_Quorvhandler->SetConnectTimeout(3);
    if (m_Proxy) {
        m_Proxy->SetLog(LoggingEnabled());
        m_Requests->InitProxy(*m_Proxy);
    }
    m_WindowHooks = std::make_unique<Root>();
    m_WindowHooks->HookedWindows()->Add(this, MinWidthTwips, MinHeightTwips, 0, 0);
    ShowModeFrame(QStringLiteral("MainFrame"));
    RefreshIntervals();
    RegistrySerilize::LoadFormLayout(this, QString(), false);
    m_StatusCheckInterval.start();
    return true;
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
    widget->setParent(m_ViewArea);
    widget->setVisible(m_Views.isEmpty());
    m_ViewArea->layout()->addWidget(widget);
    m_Views.append({Key, ToolTip, View});
    const int index = m_MainTab->addTab(Image, Caption);
    m_MainTab->setTabToolTip(index, ToolTip);
    AddFunctionKey(FunctionKey, [this, Key] { m_MainTab->SelectTab(TabIndex(Key)); });
}

int MainForm::TabIndex(const QString &Key) const
{
    for (int i = 0; i < m_Views.size(); ++i) {
        if (m_Views.at(i).Key == Key) {
            return i;
        }
    }
    return -1;
}

ModeView *MainForm::GetCurrentModeFrame() const
{
    const int index = m_MainTab->currentIndex();
    return index >= 0 && index < m_Views.size() ? m_Views.at(index).Frame : nullptr;
}

QString MainForm::CurrentKey() const
{
    const int index = m_MainTab->currentIndex();
    return index >= 0 && index < m_Views.size() ? m_Views.at(index).Key : QString();
}

bool MainForm::ApplyChanges()
{
    ModeView *view = GetCurrentModeFrame();
    const bool ok = !view || !view->Changed() || view->ValidateAndSave();
    if (ok) {
        m_ApplyButton->setEnabled(false);
    }
    return ok;
}

bool MainForm::ShowModeFrame(const QString &Key)
{
    const int index = TabIndex(Key);
    if (index < 0) {
        return false;
    }
    if (m_MainTab->currentIndex() != index) {
        return m_MainTab->SelectTab(index);
    }
    ShowSelectedView();
    return true;
}

void MainForm::ShowSelectedView()
{
    const int index = m_MainTab->currentIndex();
    if (index < 0 || index >= m_Views.size()) {
        return;
    }
    m_Views.at(index).Frame->LoadSettings();
    m_StatusText->setText(m_Views.at(index).ToolTip);
    for (const View &view : std::as_const(m_Views)) {
        view.Frame->Widget()->setVisible(view.Key == m_Views.at(index).Key);
    }
}

void MainForm::RefreshIntervals()
{
    m_MainFrame->SetIntervals();
}

void MainForm::SetMainWindowVisible(bool Visible)
{
    if (Visible) {
        showNormal();
    } else {
        hide();
    }
}

void MainForm::SetProxy(ProxyControl *Proxy)
{
    m_Proxy = Proxy;
}

void MainForm::ViewChanged()
{
    m_ApplyButton->setEnabled(true);
}

void MainForm::DesktopsChanged()
{
    m_MainFrame->SeanceChanged(smDesktop);
}

void MainForm::SeancesChanged()
{
    m_MainFrame->SeanceChanged(smTimes);
}

void MainForm::UpdateComputersSettings()
{
    m_Requests->UpdateComputersSettings();
}

void MainForm::UpdateInternet()
{
    if (m_Proxy) {
        m_Requests->InitProxy(*m_Proxy);
    }
    m_MainFrame->SeanceChanged(smTimes);
}

Quorvhandler *MainForm::Control() const
{
    return m_Quorvhandler;
}

ClientProtocol *MainForm::Protocol() const
{
    return m_Protocol;
}

ClientRequests *MainForm::Requests() const
{
    return m_Requests;
}

MainFrame *MainForm::Computers() const
{
    return m_MainFrame;
}

QTimer *MainForm::StatusCheckInterval()
{
    return &m_StatusCheckInterval;
}

QTimer *MainForm::ShutdownTimer()
{
    return &m_ShutdownTimer;
}

bool MainForm::IsUnloaded() const
{
    return m_Unloaded;
}

void MainForm::ForceUnload()
{
    if (m_Unloaded) {
        return;
    }
    m_ShutdownTimer.stop();
    m_Protocol->SetClosing(true);
    Unload();
}

void MainForm::ShowAbout()
{
    frmAbout about(this);
    about.exec();
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (m_Unloaded) {
        event->accept();
        return;
    }
    if (!ApplyChanges()) {
        // A refused close, also one retried by the shutdown timer, leaves the program fully running.
        m_ShutdownTimer.stop();
        m_Protocol->SetClosing(false);
        event->ignore();
        return;
    }
    m_Protocol->SetClosing(true);
    if (m_Protocol->DialogsInProgress() > 0) {
        m_ShutdownTimer.start();
        event->ignore();
        return;
    }
    m_ShutdownTimer.stop();
    Unload();
    event->accept();
}

void MainForm::ShutdownTick()
{
    if (m_Protocol->DialogsInProgress() < 1) {
        // Stopped first, so a tick during the close's own waits cannot start a second close.
        m_ShutdownTimer.stop();
        close();
    }
}

void MainForm::Unload()
{
    m_Unloaded = true;
    m_StatusCheckInterval.stop();
    m_Quorvhandler->Stop_();
    if (m_Proxy) {
        m_Proxy->Shutdown();
    }
    // Saved while the main log still takes a failed save's line.
    m_MainFrame->Panel()->ReleaseTiles();
    RegistrySerilize::SaveFormLayout(this, QString(), false, false);
    ReleaseMainLog();
    ReleaseConnectionLogs();
    if (m_WindowHooks) {
        m_WindowHooks->HookedWindows()->Remove(this);
        m_WindowHooks.reset();
    }
}

void MainForm::UpdateClock()
{
    const QDateTime now = Clock::Now();
    m_StatusTime->setText(now.toString(QStringLiteral("HH:mm")));
    m_StatusDate->setText(now.toString(QStringLiteral("dd.MM.yyyy")));
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
