#include "hookedwindow.h"

#include <QScreen>

#include <cmath>

namespace
{
// Whole twips per pixel of the screen: 1440 divided by its logical pixels per inch, rounded.
qint32 TwipsPerPixel(const QWidget *Window, bool Horizontal)
{
    const QScreen *screen = Window ? Window->screen() : nullptr;
    const double dpi = !screen ? 96.0 : Horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    const qint32 twips = static_cast<qint32>(std::lround(1440.0 / (dpi > 0 ? dpi : 96.0)));
    return twips > 0 ? twips : 1;
}
} // namespace

HookedWindow::HookedWindow(QWidget *Window)
    : m_Window(Window)
    , m_hWND(Window->winId())
    , m_PrevMinimumSize(Window->minimumSize())
    , m_PrevMaximumSize(Window->maximumSize())
{
}

void HookedWindow::SetMaxHeight(qint32 Value)
{
    m_MaxHeight = Value;
    Apply();
}

void HookedWindow::SetMaxWidth(qint32 Value)
{
    m_MaxWidth = Value;
    Apply();
}

void HookedWindow::SetMinHeight(qint32 Value)
{
    m_MinHeight = Value;
    Apply();
}

void HookedWindow::SetMinWidth(qint32 Value)
{
    m_MinWidth = Value;
    Apply();
}

QSize HookedWindow::MinimumPixels() const
{
    return {qMax(0, m_MinWidth / TwipsPerPixel(m_Window, true)), qMax(0, m_MinHeight / TwipsPerPixel(m_Window, false))};
}

QSize HookedWindow::MaximumPixels() const
{
    const qint32 width = m_MaxWidth > 0 ? m_MaxWidth / TwipsPerPixel(m_Window, true) : m_PrevMaximumSize.width();
    const qint32 height = m_MaxHeight > 0 ? m_MaxHeight / TwipsPerPixel(m_Window, false) : m_PrevMaximumSize.height();
    return {width, height};
}

void HookedWindow::Apply()
{
    if (!m_Window) {
        return;
    }
    m_Window->setMinimumSize(MinimumPixels());
    m_Window->setMaximumSize(MaximumPixels());
}

void HookedWindow::Restore()
{
    if (!m_Window) {
        return;
    }
    m_Window->setMinimumSize(m_PrevMinimumSize);
    m_Window->setMaximumSize(m_PrevMaximumSize);
}
