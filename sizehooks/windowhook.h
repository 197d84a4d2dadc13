#pragma once

#include <QObject>

class QWidget;

// The event filter put on every registered window: a window that the current root knows is
// brought back within its limits whenever the window system gives it a size outside them.
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
