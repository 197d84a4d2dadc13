#pragma once

#include "gantrelby_export.h"
#include "hookedwindow.h"

#include <QString>

#include <memory>
#include <vector>

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
        return static_cast<qint32>(m_Items.size());
    }

    // Unregisters a window and gives it back its own limits; nothing for an unregistered window.
    void Remove(QWidget *hWND);

    // The key under which a window is registered.
    static QString KeyOf(const QWidget *Window);

    auto begin() const
    {
        return m_Items.begin();
    }

    auto end() const
    {
        return m_Items.end();
    }

private:
    std::vector<std::shared_ptr<HookedWindow>> m_Items;
};
