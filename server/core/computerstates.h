#pragma once

#include <QtGlobal>

// What the client protocol reads from and tells the computers view: each computer's state (0 idle,
// a seance code, -3 off line), started shortcuts, and the internet permission and traffic count of
// the seance it runs.
class ComputerStates
{
public:
    virtual ~ComputerStates() = default;

    // -1 when the computer has no tile.
    virtual qint32 UserState(qint32 ComputerNum) = 0;
    virtual void SetUserState(qint32 ComputerNum, qint32 State) = 0;
    virtual void ShortcutStarted(qint32 ComputerNum, qint32 ShortcutCode) = 0;
    virtual bool IsInternetAllowed(qint32 ComputerNum) = 0;
    // Adds bytes to the running seance's counts; false when its hourly limit refuses them.
    virtual bool IncreaseCurSeanceTraffic(qint32 ComputerNum, qint32 Download, qint32 Upload) = 0;
};
