#pragma once

#include "core/clientmessages.h"

#include <QtGlobal>

// The seance-changed marks a tile keeps until its next refresh; a larger one includes a smaller.
enum SeanceMark : qint32
{
    smNone = 0,    // nothing changed
    smTimes = 1,   // the seances' times changed (or the internet settings): sent again
    smDesktop = 2, // a desktop or a rate changed: sent again with the desktop
};

// What a tile's refresh must do for its client, from the client's state, the server's seance and
// the tile's seance-changed mark.
enum class TileAction
{
    None,
    SendSeance,
    SendSeanceWithDesktop,
    CheckForeignSeance,
};

// ClientState is the tile's State (netStateOffline, 0 idle, else the client's seance); ServerSeance
// the seance the server has for the computer now (0 none); Mark a SeanceMark. Nothing is sent while
// the server has no seance.
TileAction DecideTileAction(qint32 ClientState, qint32 ServerSeance, qint32 Mark);
