#include "seances/selectcomputers.h"

#include "core/compbuttons.h"
#include "core/seancearithmetic.h"
#include "seances/seancedata.h"

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
                     bool OnlyAtNight)
{
    const QDateTime moment = MomentOrNow(Moment);
    const bool nightOk = !OnlyAtNight || Data.IsNightTime(moment);
    for (const auto &button : Buttons) {
        bool stateOk = true;
        if (CheckNight && nightOk) {
            const qint32 state = Data.NightState(button->ComputerNum(), moment).State;
            stateOk = WantReserve ? (state == 1 || state == 2) : (state == 0 || (state == 4 && AllowUsedReserve));
        }
        bool seanceOk = true;
        if (CheckSeance && nightOk && stateOk) {
            // A computer whose seance cannot be read is not offered.
            QString error;
            const auto seance = Data.SeanceAt(button->ComputerNum(), moment, error);
            seanceOk =
                error.isEmpty()
                && (seance ? WantSeance && (!CheckNightSeance || seance->IsNight == WantNightSeance) : !WantSeance);
        }
        button->SetEnabled(nightOk && stateOk && seanceOk);
    }
}

void MarkComputersWithoutSeance(CompButtons &Buttons, SeanceData &Data, const QDateTime &Moment)
{
    SelectComputers(Buttons, Data, Moment, false, false, false, true, false, false, false, false);
}

void MarkComputersWithSeance(CompButtons &Buttons, SeanceData &Data, const QDateTime &Moment, bool Night)
{
    SelectComputers(Buttons, Data, Moment, false, false, false, true, true, true, Night, false);
}
