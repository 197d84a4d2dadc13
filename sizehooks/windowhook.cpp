#include "windowhook.h"

#include "root.h"

#include <QEvent>
#include <QWidget>

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
    if (Event->type() != QEvent::Resize || !Root::Current()) {
        return false;
    }
    auto *window = static_cast<QWidget *>(Watched);
    const auto hooked = Root::Current()->HookedWindows()->Item(window);
    if (!hooked) {
        return false;
    }
    const QSize bounded = window->size().expandedTo(hooked->MinimumPixels()).boundedTo(hooked->MaximumPixels());
    if (bounded != window->size()) {
        window->resize(bounded);
    }
    return false;
}
