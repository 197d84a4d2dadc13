#include "core/mainframe.h"

#include "core/backgrounderror.h"
#include "core/mainlog.h"
#include "seances/computersframe.h"

#include <QApplication>
#include <QVBoxLayout>

MainFrame::MainFrame(SeanceData &Data, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MainFrame"));
    m_Panel = new ComputersFrame(Data, *this, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Panel);
    connect(m_Panel, &ComputersFrame::QueryUserState, this, &MainFrame::QueryUserState);
    connect(m_Panel, &ComputersFrame::SendServerSettings, this, &MainFrame::SendServerSettings);
    connect(m_Panel, &ComputersFrame::Reboot, this, &MainFrame::Reboot);
    connect(m_Panel, &ComputersFrame::BeginSeance, this, &MainFrame::BeginSeance);
}

MainFrame::~MainFrame() = default;

bool MainFrame::Changed()
{
    return false;
}

void MainFrame::LoadSettings()
{
    m_Panel->LoadSettings();
}

bool MainFrame::ValidateAndSave()
{
    return true;
}

QWidget *MainFrame::Widget()
{
    return this;
}

qint32 MainFrame::UserState(qint32 ComputerNum)
{
    return m_Panel->UserState(ComputerNum);
}

void MainFrame::SetUserState(qint32 ComputerNum, qint32 State)
{
    m_Panel->SetUserState(ComputerNum, State);
}

void MainFrame::ShortcutStarted(qint32 ComputerNum, qint32 ShortcutCode)
{
    m_Panel->ShortcutStarted(ComputerNum, ShortcutCode);
}

bool MainFrame::IsInternetAllowed(qint32 ComputerNum)
{
    return m_Panel->IsInternetAllowed(ComputerNum);
}

bool MainFrame::IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload)
{
    return m_Panel->IncreaseCurSeanceTraffic(ComputerNum, Download, Upload);
}

void MainFrame::SeanceChanged(qint32 Kind)
{
    m_Panel->SeanceChanged(Kind);
}

void MainFrame::SetIntervals()
{
    m_Panel->SetIntervals();
}

ComputersFrame *MainFrame::Panel() const
{
    return m_Panel;
}

void MainFrame::Beep(int Times)
{
    for (int i = 0; i < Times; ++i) {
        QApplication::beep();
    }
}

void MainFrame::BringMainWindowForward()
{
    QWidget *main = window();
    if (main->isMinimized()) {
        main->showNormal();
    }
    main->raise();
    main->activateWindow();
}

void MainFrame::LogError(const QString &Text)
{
    MainLog().Log(Text, 0);
}

void MainFrame::ShowError(const QString &Text)
{
    // The tile reports in the middle of a refresh: the box comes later, once no dialog runs.
    ShowBackgroundBox(Text);
}
