#pragma once

#include <QPoint>
#include <QSize>

// Where shortcut tiles go, in twips: the rules of the editor's grid and of dragging, kept apart from
// the widgets that show them.
namespace ShortcutPlacement
{
// The editor's grid: icon centres lie on its multiples.
constexpr qint32 GridStep = 240;

// The top-left corner of a tile whose icon centre is wanted at Wanted: the centre snapped down to
// the grid (toward zero), then kept inside a surface of Surface twips. A tile that would cross the
// right (bottom) edge is put GridStep × ⌈2·c / GridStep⌉ from it; one whose snapped centre lies
// less than c from the left (top) edge gets its centre at GridStep × ⌈c / GridStep⌉, which also
// holds when the surface is too small for the right-edge rule, so a tile never goes negative.
// Centre holds the icon centre's offsets in the tile (CenterX, CenterY).
QPoint KeepInside(QPoint Wanted, QSize Centre, QSize Surface);

// The offset of a drag by Moved twips on a grid of Step: Moved rounded to a whole number (halves
// to even), then cut toward zero to a multiple of Step. A Step below 1 counts as 1.
qint32 DragOffset(double Moved, qint32 Step);
} // namespace ShortcutPlacement
