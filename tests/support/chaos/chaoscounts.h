#pragma once

#include "chaosplan.h"

#include <QTextStream>

#include <array>

// What the chaos driver did and saw, for its report.
struct ChaosCounts
{
    static constexpr int Phases = int(ChaosPlan::Phase::Count);
    static constexpr int Endings = int(ChaosPlan::Ending::Count);

    struct PortCounts
    {
        // [phase][ending][known]
        std::array<std::array<std::array<qint64, 2>, Endings>, Phases> Ends{};
        std::array<qint64, 2> Connections{};
        qint64 ConnectFailures = 0;
        qint64 MessagesWritten = 0;
        qint64 AnswersRead = 0;
        qint64 BytesRead = 0;
        // The program closed first, or the wait for the phase ran out.
        qint64 ClosedByProgram = 0;
        qint64 TimedOut = 0;
    };

    PortCounts Control;
    PortCounts Relay;
    // The program's own dialogs to the club's computers.
    qint64 DialogConnections = 0;
    qint64 DialogResetsOnAccept = 0;
    std::array<qint64, int(DialogAction::Count)> DialogActions{};
    // Connections of the driver ended while the program's dialog to their address was open.
    qint64 DialogsSeenByWaiters = 0;

    void Print(QTextStream &Out) const;
};
