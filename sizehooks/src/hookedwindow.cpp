#include "sizehooks.h"

#include <QScreen>

#include <cmath>

namespace Gantrelby
{
namespace
{
constexpr double TwipsPerInch = 1440.0;
// What a screen that reports no density is taken to have.
constexpr double DefaultDotsPerInch = 96.0;

// Whole twips per pixel of the screen: the twips of an inch divided by its logical pixels per
// inch, rounded.
qint32 TwipsPerPixel(const QWidget *Window, bool Horizontal)
{
    const QScreen *screen = Window ? Window->screen() : nullptr;
    const double dpi = !screen      ? DefaultDotsPerInch
                       : Horizontal ? screen->logicalDotsPerInchX()
                                    : screen->logicalDotsPerInchY();
    const qint32 twips = static_cast<qint32>(std::lround(TwipsPerInch / (dpi > 0 ? dpi : DefaultDotsPerInch)));
    return twips > 0 ? twips : 1;
}
} // namespace

HookedWindow::HookedWindow(QWidget *Window)
    : m_window(Window)
    , m_hwnd(Window->winId())
    , m_prevMinimumSize(Window->minimumSize())
    , m_prevMaximumSize(Window->maximumSize())
{
}

void HookedWindow::SetMaxHeight(qint32 Value)
{
    m_maxHeight = Value;
    Apply();
}

void HookedWindow::SetMaxWidth(qint32 Value)
{
    m_maxWidth = Value;
    Apply();
}

void HookedWindow::SetMinHeight(qint32 Value)
{
    m_minHeight = Value;
    Apply();
}

void HookedWindow::SetMinWidth(qint32 Value)
{
    m_minWidth = Value;
    Apply();
}

QSize HookedWindow::MinimumPixels() const
{
    return {qMax(0, m_minWidth / TwipsPerPixel(m_window, true)), qMax(0, m_minHeight / TwipsPerPixel(m_window, false))};
}

QSize HookedWindow::MaximumPixels() const
{
    const qint32 width = m_maxWidth > 0 ? m_maxWidth / TwipsPerPixel(m_window, true) : m_prevMaximumSize.width();
    const qint32 height = m_maxHeight > 0 ? m_maxHeight / TwipsPerPixel(m_window, false) : m_prevMaximumSize.height();
    return {width, height};
}

void HookedWindow::Apply()
{
    if (!m_window) {
        return;
    }
    m_window->setMinimumSize(MinimumPixels());
    m_window->setMaximumSize(MaximumPixels());
}

void HookedWindow::Restore()
{
    if (!m_window) {
        return;
    }
    m_window->setMinimumSize(m_prevMinimumSize);
    m_window->setMaximumSize(m_prevMaximumSize);
}
} // namespace Gantrelby
