#include "core/window/mainframe.h"

#include "seances/computersframe.h"

#include <QVBoxLayout>

MainFrame::MainFrame(SeanceData &Data, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MainFrame"));
    m_panel = new ComputersFrame(Data, m_feedback, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_panel);
    connect(m_panel, &ComputersFrame::QueryUserState, this, &MainFrame::QueryUserState);
    connect(m_panel, &ComputersFrame::SendServerSettings, this, &MainFrame::SendServerSettings);
    connect(m_panel, &ComputersFrame::Reboot, this, &MainFrame::Reboot);
    connect(m_panel, &ComputersFrame::BeginSeance, this, &MainFrame::BeginSeance);
}

MainFrame::~MainFrame()
{
    // The tiles save their traffic as they go and report through m_feedback: they go first.
    delete m_panel;
}

bool MainFrame::Changed()
{
    return false;
}

void MainFrame::LoadSettings()
{
    m_panel->LoadSettings();
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
    return m_panel->UserState(ComputerNum);
}

void MainFrame::SetUserState(qint32 ComputerNum, qint32 State)
{
    m_panel->SetUserState(ComputerNum, State);
}

void MainFrame::ShortcutStarted(qint32 ComputerNum, qint32 ShortcutCode)
{
    m_panel->ShortcutStarted(ComputerNum, ShortcutCode);
}

bool MainFrame::IsInternetAllowed(qint32 ComputerNum)
{
    return m_panel->IsInternetAllowed(ComputerNum);
}

bool MainFrame::IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload)
{
    return m_panel->IncreaseCurSeanceTraffic(ComputerNum, Download, Upload);
}

void MainFrame::SeanceChanged(qint32 Kind)
{
    m_panel->SeanceChanged(Kind);
}

void MainFrame::SetIntervals()
{
    m_panel->SetIntervals();
}

ComputersFrame *MainFrame::Panel() const
{
    return m_panel;
}
