#pragma once

#include "gantrelby_export.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

// One registered window and its limits in twips; a maximum of 0 or less means no maximum.
// Changing a limit applies it to the window at once.
class GANTRELBY_EXPORT HookedWindow final
{
public:
    explicit HookedWindow(QWidget *Window);

    qint32 MaxHeight() const
    {
        return m_MaxHeight;
    }

    void SetMaxHeight(qint32 Value);

    qint32 MaxWidth() const
    {
        return m_MaxWidth;
    }

    void SetMaxWidth(qint32 Value);

    qint32 MinHeight() const
    {
        return m_MinHeight;
    }

    void SetMinHeight(qint32 Value);

    qint32 MinWidth() const
    {
        return m_MinWidth;
    }

    void SetMinWidth(qint32 Value);

    // The window's handle (its platform window id).
    WId hWND() const
    {
        return m_hWND;
    }

    // Null once the window is destroyed.
    QWidget *Window() const
    {
        return m_Window;
    }

    // The limits in pixels, for the screen the window is on.
    QSize MinimumPixels() const;
    QSize MaximumPixels() const;

    // Puts the limits on the window; Restore gives the window back the limits it had before.
    void Apply();
    void Restore();

private:
    QPointer<QWidget> m_Window;
    WId m_hWND = 0;
    qint32 m_MaxHeight = 0;
    qint32 m_MaxWidth = 0;
    qint32 m_MinHeight = 0;
    qint32 m_MinWidth = 0;
    QSize m_PrevMinimumSize;
    QSize m_PrevMaximumSize;
};
