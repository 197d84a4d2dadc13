#include "core/backgrounderror.h"

#include "core/guihelpers.h"
#include "core/mainlog.h"

#include <QTimer>

namespace
{
bool g_BoxPending = false;
}

void ReportBackgroundError(const QString &Text)
{
    MainLog().Log(Text, 0);
    if (g_BoxPending) {
        return;
    }
    g_BoxPending = true;
    QTimer::singleShot(0, [Text] {
        ShowError(Text);
        g_BoxPending = false;
    });
}

bool BackgroundErrorShown()
{
    return g_BoxPending;
}
