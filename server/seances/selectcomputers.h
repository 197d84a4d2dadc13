#pragma once

#include <QDateTime>

class CompButtons;
class SeanceData;

// Enables the selection entries of the computers on which an action may be applied at the moment
// (null or the zero date: now), by the action's flags; `Selected` is left alone. The tests run in
// this order and a later one is not made once an earlier one has disabled the entry:
// - OnlyAtNight: the moment lies in the night window (else every entry is disabled);
// - CheckNight: tonight's state is 1 or 2 with WantReserve, else 0 (or 4 with AllowUsedReserve);
// - CheckSeance: a seance runs exactly when WantSeance, and with CheckNightSeance it is a night
//   seance exactly when WantNightSeance.
void SelectComputers(CompButtons &Buttons,
                     SeanceData &Data,
                     const QDateTime &Moment,
                     bool CheckNight,
                     bool WantReserve,
                     bool AllowUsedReserve,
                     bool CheckSeance,
                     bool WantSeance,
                     bool CheckNightSeance,
                     bool WantNightSeance,
                     bool OnlyAtNight);

// The markings of the seance dialogs: only computers on which no seance runs at the moment.
void MarkComputersWithoutSeance(CompButtons &Buttons, SeanceData &Data, const QDateTime &Moment);
// Only computers running a night seance (Night) or a day seance at the moment.
void MarkComputersWithSeance(CompButtons &Buttons, SeanceData &Data, const QDateTime &Moment, bool Night);
