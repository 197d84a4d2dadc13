#pragma once

#include <QList>
#include <QString>

// Deletes the night reserves with these record codes, each with its payments, in one transaction:
// all of them or, when one cannot go, none. False with the reason; the reason is empty when the
// library's delete-error handler has shown the refused statement already.
bool DeleteNightReserves(const QList<qint32> &Codes, QString &ErrString);
