#include "desktops/shortcutplacement.h"

#include <cmath>

namespace
{
qint32 CeilSteps(qint32 Value)
{
    return (Value + ShortcutPlacement::GridStep - 1) / ShortcutPlacement::GridStep * ShortcutPlacement::GridStep;
}

// One axis: the tile's near edge for a wanted icon centre.
qint32 KeepAxis(qint32 Wanted, qint32 Centre, qint32 Extent)
{
    const qint32 snapped = Wanted / ShortcutPlacement::GridStep * ShortcutPlacement::GridStep;
    qint32 edge = snapped - Centre;
    if (Extent < snapped + 2 * Centre) {
        edge = Extent - CeilSteps(2 * Centre);
    }
    if (snapped - Centre < 0 || edge < 0) {
        edge = CeilSteps(Centre) - Centre;
    }
    return edge;
}
} // namespace

QPoint ShortcutPlacement::KeepInside(QPoint Wanted, QSize Centre, QSize Surface)
{
    return {KeepAxis(Wanted.x(), Centre.width(), Surface.width()),
            KeepAxis(Wanted.y(), Centre.height(), Surface.height())};
}

qint32 ShortcutPlacement::DragOffset(double Moved, qint32 Step)
{
    const qint64 step = qMax(Step, 1);
    const qint64 rounded = static_cast<qint64>(std::nearbyint(Moved));
    return static_cast<qint32>(rounded / step * step);
}
