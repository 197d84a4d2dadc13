#include "seances/tilemenustate.h"

TileMenuState TileMenuState::For(bool HasSeance, bool IsNightSeance, bool IsNightTime, qint32 NightState, bool Online)
{
    const bool reserved = NightState == 1 || NightState == 2;
    TileMenuState state;
    state.AddSeance = !HasSeance;
    state.AlterSeance = HasSeance && !IsNightSeance;
    state.EditSeancePrefs = HasSeance;
    state.BreakSeance = HasSeance;
    state.StopSeance = HasSeance;
    state.MoveSeance = HasSeance;
    state.StartReserveSeance = (NightState == 0 || NightState == 4) && !HasSeance && IsNightTime;
    state.CancelReserveNight = reserved;
    state.StartReservedNight = reserved && !HasSeance && IsNightTime;
    state.Reboot = Online;
    state.Shutdown = Online;
    state.DefaultIsAlter = HasSeance;
    return state;
}
