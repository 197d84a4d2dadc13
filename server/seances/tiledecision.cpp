#include "seances/tiledecision.h"

TileAction DecideTileAction(qint32 ClientState, qint32 ServerSeance, qint32 Mark)
{
    if (ClientState == netStateOffline) {
        return TileAction::None;
    }
    const qint32 client = qMax(ClientState, 0);
    if (client > 0 && client != ServerSeance) {
        return TileAction::CheckForeignSeance;
    }
    if (ServerSeance <= 0) {
        return TileAction::None;
    }
    if (client == 0 && ServerSeance != 0) {
        return TileAction::SendSeanceWithDesktop;
    }
    switch (Mark) {
    case smNone:
        return TileAction::None;
    case smDesktop:
        return TileAction::SendSeanceWithDesktop;
    default:
        return TileAction::SendSeance;
    }
}
