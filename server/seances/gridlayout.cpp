#include "seances/gridlayout.h"

namespace GridLayout
{
QList<QPoint> Arrange(int Width, int Height, int Count)
{
    QList<QPoint> places;
    if (Count <= 0) {
        return places;
    }
    const int columns = qBound(1, Width / 320, Count);
    const int gap = (Width - columns * 320) / (columns + 1);
    const int neededRows = (Count + columns - 1) / columns;
    const int rows = qMax(Height / 255, neededRows);
    const int verticalGap = (Height - rows * 255) / (rows + 1);
    places.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        places.append(QPoint(i % columns * (gap + 320) + gap, i / columns * (verticalGap + 255) + verticalGap));
    }
    return places;
}
} // namespace GridLayout
