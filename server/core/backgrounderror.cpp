#include "core/backgrounderror.h"

#include "core/errorbox.h"
#include "core/mainlog.h"

#include <QTimer>

namespace
{
constexpr int RetryMs = 100;

bool g_BoxPending = false;
std::function<bool()> g_Busy;

void ShowWhenIdle(const QString &Text)
{
    if (g_Busy && g_Busy()) {
        QTimer::singleShot(RetryMs, [Text] { ShowWhenIdle(Text); });
        return;
    }
    ShowError(Text);
    g_BoxPending = false;
}
} // namespace

void ReportBackgroundError(const QString &Text)
{
    MainLog().Log(Text, Logger::KindError);
    ShowBackgroundBox(Text);
}

void ShowBackgroundBox(const QString &Text)
{
    if (g_BoxPending) {
        return;
    }
    g_BoxPending = true;
    QTimer::singleShot(0, [Text] { ShowWhenIdle(Text); });
}

bool BackgroundErrorShown()
{
    return g_BoxPending;
}

void SetBackgroundErrorBusy(const std::function<bool()> &Busy)
{
    g_Busy = Busy;
}
