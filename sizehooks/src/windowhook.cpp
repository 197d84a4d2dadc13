#include "windowhook.h"

#include "sizehooks.h"

#include <QEvent>
#include <QWidget>

namespace Gantrelby
{
void WindowHook::Install(QWidget *Window)
{
    Window->installEventFilter(Instance());
}

void WindowHook::Uninstall(QWidget *Window)
{
    Window->removeEventFilter(Instance());
}

WindowHook *WindowHook::Instance()
{
    static WindowHook hook;
    return &hook;
}

bool WindowHook::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() != QEvent::ScreenChangeInternal || !Root::Current()) {
        return false;
    }
    const auto hooked = Root::Current()->HookedWindows()->Item(static_cast<QWidget *>(Watched));
    if (hooked) {
        hooked->Apply();
    }
    return false;
}
} // namespace Gantrelby
