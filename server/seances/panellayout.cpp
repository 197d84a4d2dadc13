#include "seances/panellayout.h"

namespace PanelLayout
{
QList<QPoint> Arrange(int PanelWidth, int Count, int TileW, int TileH)
{
    QList<QPoint> places;
    if (Count <= 0 || TileW + 120 <= 0) {
        return places;
    }
    const int columns = qMin(PanelWidth / (TileW + 120), Count);
    if (columns <= 0) {
        return places;
    }
    const int gap = (PanelWidth - TileW * columns) / (columns + 1);
    places.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        places.append(QPoint(gap + i % columns * (TileW + gap), i / columns * TileH));
    }
    return places;
}
} // namespace PanelLayout
