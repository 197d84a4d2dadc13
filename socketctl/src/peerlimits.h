#pragma once

#include "pelloxan_export.h"
#include "portadmission.h"

namespace Pelloxan
{
// The control's figures and texts for the admission of its incoming connections (PortAdmission).
struct PELLOXAN_TESTS_EXPORT PeerLimits final
{
    // A club computer makes a few connections at once: its state reports, shortcut reports and
    // password requests share one, and a few more come while a dialog of the server's is open.
    static constexpr qint32 ClubPerAddress = 16;
    // No other host has a reason to hold more than a handful.
    static constexpr qint32 OtherPerAddress = 4;
    // An accepted connection that has not brought a whole message within the time a dialog waits
    // for an answer, or has held a part of one that long, has no dialog behind it and is closed.
    // One that has brought a whole message is kept: the club computer's control reuses it.
    static constexpr qint64 IdleMs = 20000;

    static AdmissionFigures Figures();
    static AdmissionTexts Texts();
};
} // namespace Pelloxan
