#pragma once

#include <QByteArray>
#include <QString>

// Cuts every message out of Input the way a connection does and checks what must hold for any
// bytes at all: each cut moves forward and stays inside the input, a message cut short reads as
// incomplete, and each message written again reads back the same and writes the same bytes.
// Shared by the fuzz target and the suite that replays its corpus. False with the reason in
// Failure.
bool CheckFraming(const QByteArray &Input, QString &Failure);
