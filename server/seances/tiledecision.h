#pragma once

#include <QtGlobal>

// What a tile's refresh must do for its client, from the client's state, the server's seance and
// the tile's seance-changed mark.
enum class TileAction
{
    None,
    SendSeance,
    SendSeanceWithDesktop,
    CheckForeignSeance,
};

// ClientState is the tile's State (-3 off line, 0 idle, else the client's seance); ServerSeance
// the seance the server has for the computer now (0 none); Mark 0, 1 times changed, 2 desktop or
// rate changed. Nothing is sent while the server has no seance.
TileAction DecideTileAction(qint32 ClientState, qint32 ServerSeance, qint32 Mark);
