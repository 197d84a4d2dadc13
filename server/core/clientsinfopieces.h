#pragma once

#include <QString>
#include <QStringList>

// The client notice kept in the settings store as numbered pieces ("ClientsInfo1", "ClientsInfo2", …)
// of at most 240 characters, followed by one empty piece that ends it.

constexpr qsizetype ClientsInfoPieceLength = 240;

// The pieces of Text, the empty end piece included. The database trims stored texts, so no cut is
// placed next to a blank: a piece is shortened until the cut lies between two characters that are
// not blanks. Only where no such cut exists (a run of blanks longer than a piece) is a piece cut at
// its full length.
QStringList SplitClientsInfo(const QString &Text);
