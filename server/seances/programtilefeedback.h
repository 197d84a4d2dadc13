#pragma once

#include "seances/tilefeedback.h"

// The program's side of the tiles' feedback: the speaker, the main window, the main log and the
// message box (shown on a later turn of the event loop, never inside a refresh).
class ProgramTileFeedback final : public TileFeedback
{
public:
    void Beep(int Times) override;
    void BringMainWindowForward() override;
    void LogError(const QString &Text) override;
    void ShowError(const QString &Text) override;
};
