#pragma once

#include <QString>

// History lines of the operator's actions on computers, and the removal of a seance.

// Adds one "History" line dated now under the computer's number (not its record code). A line that
// cannot be stored is shown in the error box and lost; the caller goes on.
void AddHistory(qint32 ComputerNum, const QString &Description);
// The same for a caller whose line belongs to its other writes (one transaction per computer): a
// line that cannot be stored is returned as a failure, with nothing shown.
bool AddHistory(qint32 ComputerNum, const QString &Description, QString &ErrString);

// Removes the seance with its payments and unlinks the night reserve started from it (the reserve
// stays, with Seance 0); all or nothing. "Сеанс не найден!" when there is no such seance.
bool DeleteSeance(qint32 SeanceCode, QString &ErrString);
