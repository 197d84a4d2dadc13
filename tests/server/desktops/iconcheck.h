#pragma once

#include <QByteArray>
#include <QString>

// Decodes any bytes as the program decodes a program's or an icon file's icon, and checks what must
// hold for all bytes: a picture comes back at the side asked for, or none comes back with a reason;
// its grey copy has the same size. Shared by the fuzz target and the suite that replays its corpus.
// False with the reason in Failure.
bool CheckIconBytes(const QByteArray &Input, QString &Failure);
