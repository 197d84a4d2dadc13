#pragma once

// Window-size hooks Gantrelby: keeps registered windows within a minimum and an optional maximum
// size while the user drags their borders. Create one Root, add windows to its HookedWindows and
// remove them before they are destroyed.

#include "gantrelby_export.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace Gantrelby
{
// One registered window and its limits in twips; a maximum of 0 or less means no maximum.
// Changing a limit applies it to the window at once.
class GANTRELBY_EXPORT HookedWindow final
{
public:
    explicit HookedWindow(QWidget *Window);

    qint32 MaxHeight() const
    {
        return m_maxHeight;
    }

    void SetMaxHeight(qint32 Value);

    qint32 MaxWidth() const
    {
        return m_maxWidth;
    }

    void SetMaxWidth(qint32 Value);

    qint32 MinHeight() const
    {
        return m_minHeight;
    }

    void SetMinHeight(qint32 Value);

    qint32 MinWidth() const
    {
        return m_minWidth;
    }

    void SetMinWidth(qint32 Value);

    // The window's handle (its platform window id).
    WId hWND() const
    {
        return m_hwnd;
    }

    // Null once the window is destroyed.
    QWidget *Window() const
    {
        return m_window;
    }

    // The limits in pixels, for the screen the window is on.
    QSize MinimumPixels() const;
    QSize MaximumPixels() const;

    // Puts the limits on the window; Restore gives the window back the limits it had before.
    void Apply();
    void Restore();

private:
    QPointer<QWidget> m_window;
    WId m_hwnd = 0;
    qint32 m_maxHeight = 0;
    qint32 m_maxWidth = 0;
    qint32 m_minHeight = 0;
    qint32 m_minWidth = 0;
    QSize m_prevMinimumSize;
    QSize m_prevMaximumSize;
};

// The registered windows in order of registration, keyed by "C" followed by the window handle.
// Ending the collection leaves its windows as they are: their limits stay, but no root finds them.
class GANTRELBY_EXPORT HookedWindows final
{
public:
    HookedWindows() = default;
    HookedWindows(const HookedWindows &) = delete;
    HookedWindows &operator=(const HookedWindows &) = delete;

    // Registers a window with its limits in twips; null when the window is already registered
    // (its first limits stay).
    std::shared_ptr<HookedWindow>
    Add(QWidget *hWND, qint32 MinWidth, qint32 MinHeight, qint32 MaxWidth, qint32 MaxHeight);

    // By key ("C" + handle); null when absent.
    std::shared_ptr<HookedWindow> Item(const QString &Key) const;
    // By 1-based position; null when out of range.
    std::shared_ptr<HookedWindow> Item(qint32 Index) const;
    std::shared_ptr<HookedWindow> Item(const QWidget *Window) const;

    qint32 Count() const
    {
        return static_cast<qint32>(m_items.size());
    }

    // Unregisters a window and gives it back its own limits; nothing for an unregistered window.
    void Remove(QWidget *hWND);

    // The key under which a window is registered.
    static QString KeyOf(const QWidget *Window);

    auto begin() const
    {
        return m_items.begin();
    }

    auto end() const
    {
        return m_items.end();
    }

private:
    std::vector<std::shared_ptr<HookedWindow>> m_items;
};

// The library's entry object. The most recently created Root is the current one: every hooked
// window finds its limits through the current root's HookedWindows.
class GANTRELBY_EXPORT Root final
{
public:
    Root();
    ~Root();
    Root(const Root &) = delete;
    Root &operator=(const Root &) = delete;

    // Made empty on the first read and kept.
    std::shared_ptr<Gantrelby::HookedWindows> HookedWindows();
    void SetHookedWindows(std::shared_ptr<Gantrelby::HookedWindows> Value);

    // Null when no Root is alive.
    static Root *Current();

private:
    std::shared_ptr<Gantrelby::HookedWindows> m_hookedWindows;
};
} // namespace Gantrelby
