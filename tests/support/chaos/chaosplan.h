#pragma once

#include <QByteArray>
#include <QList>

// What one connection of the chaos driver does: the bytes it writes, the point of the exchange at
// which it ends and how it ends there.
struct ChaosPlan
{
    enum class Port
    {
        Control,
        Relay
    };

    // Where in the exchange the connection ends.
    enum class Phase
    {
        BeforeRequest, // connected, nothing written
        MidRequest,    // the last message cut after Cut bytes
        AfterRequest,  // everything written, no answer read
        MidAnswer,     // the first bytes of the answer read
        DuringDialog,  // the program has opened its own dialog to this address
        Complete,      // every answer read (the relay: the outer side closed)
        Count
    };

    enum class Ending
    {
        Reset,     // SO_LINGER 0, then close: an RST
        HalfClose, // shutdown for writing, then read until the program closes
        Close,
        Count
    };

    Port Target = Port::Control;
    // Index into the driver's addresses; the first ones are the club's computers.
    int Address = 0;
    bool Known = false;
    // Written whole first: earlier messages of the same connection.
    QByteArray Lead;
    // The message the phase refers to, written in Pieces pieces a few milliseconds apart.
    QByteArray Last;
    qsizetype Cut = 0;
    int Pieces = 1;
    // Whole frames written and answers the program owes for them.
    int Messages = 0;
    int Answers = 0;
    Phase EndAt = Phase::Complete;
    Ending How = Ending::Close;
    // A small receive buffer, so that a large answer stays in the program's send buffer.
    bool SmallReceiveBuffer = false;
};

// What the driver, as a club computer, does with a request of the program's own dialog.
enum class DialogAction
{
    Answer,
    AnswerLate,
    ResetBeforeAnswer,
    HalfCloseBeforeAnswer,
    CutAnswer, // part of the answer, then a reset
    Garbage,
    WrongCode,
    AnswerThenReset,
    Count
};
