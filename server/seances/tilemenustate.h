#pragma once

#include <QtGlobal>

// Which entries of a tile's popup menu are enabled, from one look at the computer taken when the
// menu opens.
struct TileMenuState final
{
    bool AddSeance = false;
    bool AlterSeance = false;
    bool EditSeancePrefs = false;
    bool BreakSeance = false;
    bool StopSeance = false;
    bool MoveSeance = false;
    bool StartReserveSeance = false;
    bool ReserveNight = true;
    bool CancelReserveNight = false;
    bool StartReservedNight = false;
    bool Reboot = false;
    bool Shutdown = false;
    bool SendSettings = true;
    // The bold entry: alter the seance when there is one, otherwise add one.
    bool DefaultIsAlter = false;

    static TileMenuState For(bool HasSeance, bool IsNightSeance, bool IsNightTime, qint32 NightState, bool Online);

    bool operator==(const TileMenuState &) const = default;
};
