#include "chaoscounts.h"

namespace
{
const std::array<const char *, ChaosCounts::Phases> PhaseNames{"before the request",
                                                               "mid-request",
                                                               "after the request",
                                                               "mid-answer",
                                                               "during its dialog",
                                                               "after the answer"};
const std::array<const char *, ChaosCounts::Endings> EndingNames{"reset", "half-close", "close"};
const std::array<const char *, int(DialogAction::Count)> ActionNames{"answered",
                                                                     "answered late",
                                                                     "reset before the answer",
                                                                     "half-closed before the answer",
                                                                     "answer cut, then reset",
                                                                     "garbage",
                                                                     "answer with a wrong code",
                                                                     "answered, then reset"};

void PrintPort(QTextStream &Out, const char *Name, const ChaosCounts::PortCounts &Counts)
{
    Out << Name << ": " << Counts.Connections[1] + Counts.Connections[0] << " connections (" << Counts.Connections[1]
        << " from club computers, " << Counts.Connections[0] << " from unknown addresses), " << Counts.ConnectFailures
        << " not connected; " << Counts.MessagesWritten << " messages written, " << Counts.AnswersRead
        << " answers read, " << Counts.BytesRead << " bytes read\n";
    Out << "    ended (club/unknown)     ";
    for (const char *ending : EndingNames) {
        Out << qSetFieldWidth(16) << ending << qSetFieldWidth(0);
    }
    Out << "\n";
    for (int phase = 0; phase < ChaosCounts::Phases; ++phase) {
        Out << "    " << qSetFieldWidth(24) << Qt::left << PhaseNames.at(phase) << qSetFieldWidth(0) << Qt::right;
        for (int ending = 0; ending < ChaosCounts::Endings; ++ending) {
            const auto &cell = Counts.Ends.at(phase).at(ending);
            Out << qSetFieldWidth(16) << QStringLiteral("%1/%2").arg(cell[1]).arg(cell[0]) << qSetFieldWidth(0);
        }
        Out << "\n";
    }
    Out << "    the program closed first " << Counts.ClosedByProgram << ", waits for a phase ran out "
        << Counts.TimedOut << "\n";
}
} // namespace

void ChaosCounts::Print(QTextStream &Out) const
{
    PrintPort(Out, "client port", Control);
    PrintPort(Out, "relay port", Relay);
    Out << "the program's own dialogs: " << DialogConnections << " connections accepted, " << DialogResetsOnAccept
        << " reset on accept; " << DialogsSeenByWaiters << " driver connections ended during one\n";
    for (int action = 0; action < int(DialogAction::Count); ++action) {
        Out << "    " << qSetFieldWidth(32) << Qt::left << ActionNames.at(action) << qSetFieldWidth(0) << Qt::right
            << DialogActions.at(action) << "\n";
    }
}
