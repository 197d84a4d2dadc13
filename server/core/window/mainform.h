#pragma once

#include <QHostAddress>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QTimer>

#include <memory>

class ClientProtocol;
class DesktopFrame;
class ClientRequests;
class MainFrame;
class ModeTabBar;
class ModeView;
class DbSeanceData;
class Proxy;
class QLabel;
class QPushButton;

namespace Gantrelby
{
class Root;
} // namespace Gantrelby

namespace Pelloxan
{
class Quorvhandler;
} // namespace Pelloxan

// The server's main window: the mode tabs over the views, the save button, the status bar, and the
// network side that it hosts (the socket control, the status polling, the client protocol, the
// internet relay). Closing
// has the current view save first, waits for the running network dialogs, and keeps the layout of
// the window and of every view for the next run.
class MainForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr qint32 MinWidthTwips = 9000;
    static constexpr qint32 MinHeightTwips = 4830;
    static constexpr int StatusCheckIntervalMs = 60000;
    static constexpr int ShutdownIntervalMs = 100;

    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    // The window's load: listens for the client computers, starts the proxy, keeps the window's
    // minimum size, chooses the computers view and restores the saved layout. Nothing here talks to
    // a client: the view's tiles load, and the status timer starts, when the window is first shown.
    // False when the listener cannot start (logged and shown): the program ends without the unload
    // steps.
    bool Load(quint16 ListenerPort, const QHostAddress &BindAddress);

    // The views after the computers view, each under its tab in the order of the function keys, and
    // the night view, which has none. Apart from the construction, so that a window can be built
    // with views of a test's own.
    void AddViews();
    // Adds a view under its tab; FunctionKey selects the tab.
    void AddModeView(const QString &Key,
                     const QString &Caption,
                     const QString &ToolTip,
                     const QIcon &Image,
                     Qt::Key FunctionKey,
                     ModeView *View);
    // The desktops view under "F3: Рабочие столы"; its saves re-send the running seances.
    void AddDesktopsView(DesktopFrame *View);
    ModeView *GetCurrentModeFrame() const;
    QString CurrentKey() const;
    // Saves the current view's changes if it has any; false when the view refused.
    bool ApplyChanges();
    bool ShowModeFrame(const QString &Key);
    void RefreshIntervals();
    void SetMainWindowVisible(bool Visible);

    // What the views report.
    void ViewChanged();
    void DesktopsChanged();
    void SeancesChanged();
    void UpdateComputersSettings();
    void UpdateInternet();

    Pelloxan::Quorvhandler *Control() const;
    // The internet relay; configured at load and on its settings' change.
    Proxy *Relay() const;
    ClientProtocol *Protocol() const;
    ClientRequests *Requests() const;
    MainFrame *Computers() const;
    QTimer *StatusCheckInterval();
    QTimer *ShutdownTimer();
    // Runs the unload steps at once (the application is quitting by other means than the close).
    void ForceUnload();
    // True once the unload steps have run.
    bool IsUnloaded() const;

    // The tab images by key ("Settings", "Computers", "ComputerTime", "Night", "Desktops",
    // "Statistic", "Services").
    static QIcon ToolBarImage(const QString &Key);

signals:
    // The unload steps have run: the program's run is over.
    void Unloaded();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct View
    {
        QString Key;
        QString ToolTip;
        ModeView *Frame = nullptr;
        // What the view is shown in.
        QWidget *Area = nullptr;
    };

    void BuildWindow();
    // The statistics view under "F5: Статистика"; its deletions of night reserves reach the tiles.
    void AddStatisticsView();
    void AddSettingsView();
    void ConnectNetwork();
    // The socket control and the relay learn the computers' addresses, which may hold more
    // connections than any other.
    void PushClubAddresses();
    void AddFunctionKey(Qt::Key Key, const std::function<void()> &Action);
    int TabIndex(const QString &Key) const;
    // Loads the current view and shows it.
    void ShowSelectedView();
    // Shows the view and its status text without loading it.
    void ShowView(int Index);
    void ShowAbout();
    void ShutdownTick();
    void Unload();
    void UpdateClock();
    // With no stored layout: all tabs and the largest view shown whole, centred in the screen's
    // available area, or maximised where that is smaller.
    QSize FirstStartSize();
    void FitFirstStart();

    // What the tiles read and write; the window releases the tiles before it goes.
    std::unique_ptr<DbSeanceData> m_seanceData;
    Pelloxan::Quorvhandler *m_quorvhandler = nullptr;
    MainFrame *m_mainFrame = nullptr;
    ClientProtocol *m_protocol = nullptr;
    ClientRequests *m_requests = nullptr;
    Proxy *m_proxy = nullptr;
    std::unique_ptr<Gantrelby::Root> m_windowHooks;
    ModeTabBar *m_mainTab = nullptr;
    QPushButton *m_applyButton = nullptr;
    QWidget *m_viewArea = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_statusTime = nullptr;
    QLabel *m_statusDate = nullptr;
    QLabel *m_statusDatabase = nullptr;
    QList<View> m_views;
    QTimer m_statusCheckInterval;
    QTimer m_shutdownTimer;
    QTimer m_clockTimer;
    bool m_unloaded = false;
    bool m_shown = false;
};
