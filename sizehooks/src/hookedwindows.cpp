#include "sizehooks.h"
#include "windowhook.h"

#include <algorithm>

namespace Gantrelby
{
namespace
{
// The key of a window handle: "C" and the handle's number.
QString KeyOfHandle(WId Handle)
{
    return QLatin1Char('C') + QString::number(Handle);
}
} // namespace

std::shared_ptr<HookedWindow>
HookedWindows::Add(QWidget *hWND, qint32 MinWidth, qint32 MinHeight, qint32 MaxWidth, qint32 MaxHeight)
{
    if (!hWND || Item(hWND)) {
        return nullptr;
    }
    auto window = std::make_shared<HookedWindow>(hWND);
    window->SetMinWidth(MinWidth);
    window->SetMinHeight(MinHeight);
    window->SetMaxWidth(MaxWidth);
    window->SetMaxHeight(MaxHeight);
    WindowHook::Install(hWND);
    m_items.push_back(window);
    return window;
}

std::shared_ptr<HookedWindow> HookedWindows::Item(const QString &Key) const
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [&Key](const auto &window) {
        return KeyOfHandle(window->hWND()) == Key;
    });
    return found == m_items.end() ? nullptr : *found;
}

std::shared_ptr<HookedWindow> HookedWindows::Item(qint32 Index) const
{
    if (Index < 1 || Index > Count()) {
        return nullptr;
    }
    return m_items.at(static_cast<size_t>(Index - 1));
}

std::shared_ptr<HookedWindow> HookedWindows::Item(const QWidget *Window) const
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [Window](const auto &window) {
        return Window && window->Window() == Window;
    });
    return found == m_items.end() ? nullptr : *found;
}

void HookedWindows::Remove(QWidget *hWND)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [hWND](const auto &window) {
        return hWND && window->Window() == hWND;
    });
    if (found == m_items.end()) {
        return;
    }
    WindowHook::Uninstall(hWND);
    (*found)->Restore();
    m_items.erase(found);
}

QString HookedWindows::KeyOf(const QWidget *Window)
{
    return KeyOfHandle(Window->winId());
}
} // namespace Gantrelby
