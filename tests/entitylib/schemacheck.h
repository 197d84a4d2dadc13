#pragma once

#include <QByteArray>
#include <QString>

// Reads Input as a schema-description file would be read (its code page detected) and checks what
// must hold for any bytes at all: a refusal says why; an accepted schema names its tables and
// fields with plain identifiers only, finds each by its name in any letter case, and its tables'
// definitions carry no statement of their own. Shared by the fuzz target and the suite that
// replays its corpus. False with the reason in Failure.
bool CheckSchema(const QByteArray &Input, QString &Failure);
