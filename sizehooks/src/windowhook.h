#pragma once

#include <QObject>

class QWidget;

namespace Gantrelby
{
// The event filter put on every registered window. The window system keeps a window within the
// limits in pixels that it was given; when the window moves to a screen with another pixel
// density, a window that the current root knows gets its limits worked out again for that screen.
class WindowHook final : public QObject
{
    Q_OBJECT

public:
    static void Install(QWidget *Window);
    static void Uninstall(QWidget *Window);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    static WindowHook *Instance();
};
} // namespace Gantrelby
