#pragma once

#include <QString>

// What a computer tile does outside itself besides its events: beeping and bringing the main
// window forward when a seance is about to end, and reporting the errors of its background work.
// Tests install their own to observe it.
class TileFeedback
{
public:
    virtual ~TileFeedback() = default;

    virtual void Beep(int Times) = 0;
    // Restores the main window when it is minimised and gives it the focus when it can take it.
    virtual void BringMainWindowForward() = 0;
    // An error line in the main log.
    virtual void LogError(const QString &Text) = 0;
    // The critical message box for the operator. It must not wait for the operator: the tile calls
    // it in the middle of a refresh, so the program's feedback shows the box on a later turn.
    virtual void ShowError(const QString &Text) = 0;
};
