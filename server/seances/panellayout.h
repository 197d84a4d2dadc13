#pragma once

#include <QList>
#include <QPoint>

// Where the computers panel puts its tiles (twips): as many columns of Tile width plus 120 as the
// panel holds (no more than there are tiles), the spare width shared out as equal gaps at both
// edges and between neighbours, rows one below the other without a gap.
namespace PanelLayout
{
constexpr int TileWidth = 1095;
constexpr int TileHeight = 2250;

// The top-left corners of Count tiles in table order; empty when there are no tiles or no column
// fits, and the tiles then stay where they are.
QList<QPoint> Arrange(int PanelWidth, int Count, int TileW = TileWidth, int TileH = TileHeight);
} // namespace PanelLayout
