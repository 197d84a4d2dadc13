#include "seances/programtilefeedback.h"

#include "core/backgrounderror.h"
#include "core/mainlog.h"

#include <QApplication>
#include <QMainWindow>

void ProgramTileFeedback::Beep(int Times)
{
    for (int i = 0; i < Times; ++i) {
        QApplication::beep();
    }
}

void ProgramTileFeedback::BringMainWindowForward()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<QMainWindow *>(widget);
        if (!window || !window->isVisible()) {
            continue;
        }
        if (window->isMinimized()) {
            window->showNormal();
        }
        window->raise();
        window->activateWindow();
        return;
    }
}

void ProgramTileFeedback::LogError(const QString &Text)
{
    MainLog().Log(Text, Logger::KindError);
}

void ProgramTileFeedback::ShowError(const QString &Text)
{
    // The tile reports in the middle of a refresh: the box comes later, once no dialog runs.
    ShowBackgroundBox(Text);
}
