#pragma once

#include "core/computerstates.h"
#include "core/widgets/modeview.h"
#include "seances/programtilefeedback.h"
#include "seances/seancedata.h"

#include <QWidget>

class ComputersFrame;

// The computers view of the main window: it hosts the computers panel, forwards the main window's
// per-computer calls to it, and raises the panel's four network requests as its own.
class MainFrame : public QWidget, public ModeView, public ComputerStates
{
    Q_OBJECT

public:
    MainFrame(SeanceData &Data, QWidget *parent = nullptr);
    ~MainFrame() override;

    // The computers view has nothing to save.
    bool Changed() override;
    void LoadSettings() override;
    bool ValidateAndSave() override;
    QWidget *Widget() override;

    qint32 UserState(qint32 ComputerNum) override;
    void SetUserState(qint32 ComputerNum, qint32 State) override;
    void ShortcutStarted(qint32 ComputerNum, qint32 ShortcutCode) override;
    bool IsInternetAllowed(qint32 ComputerNum) override;
    bool IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload) override;

    // A SeanceMark for every tile: smTimes when seances or the internet settings changed, smDesktop
    // when the desktops changed (every seance is sent again with its desktop).
    void SeanceChanged(qint32 Kind);
    // Re-reads the refresh interval of the panel.
    void SetIntervals();

    ComputersFrame *Panel() const;

signals:
    void QueryUserState(QString &IP, qint32 &State);
    void SendServerSettings(QString &IP);
    void Reboot(QString &IP, bool &Shutdown);
    void BeginSeance(qint32 &ComputerNum, SeanceData::Seance &Seance, bool &WithDesktop, bool &Result);

private:
    // The tiles report through it up to their destruction, so it outlives the panel.
    ProgramTileFeedback m_feedback;
    ComputersFrame *m_panel = nullptr;
};
