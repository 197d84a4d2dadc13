#pragma once

#include "currency.h"
#include "entitylib.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>

// The program's access to the one open database (the started Root of the data-entity library) and
// typed reads and writes of record fields.

// The table of the started database, or none with a message when the database is not open or has
// no such table.
std::shared_ptr<Rollstrake::Table> DBTable(const QString &Name, QString &ErrString);

// The value of the named field; an invalid value when the record has no such field.
QVariant FieldValue(const Rollstrake::DBRecord &Record, const QString &Name);
// The value as a whole number (a half to the even neighbour, saturated at the 32-bit limits).
qint32 IntValue(const Rollstrake::DBRecord &Record, const QString &Name);
QString TextValue(const Rollstrake::DBRecord &Record, const QString &Name);
QDateTime DateValueOf(const Rollstrake::DBRecord &Record, const QString &Name);
Currency MoneyValue(const Rollstrake::DBRecord &Record, const QString &Name);
// Sets the named field; a name the record lacks is ignored.
void SetFieldValue(Rollstrake::DBRecord &Record, const QString &Name, const QVariant &Value);

// Saturates a 64-bit whole number at the 32-bit limits.
qint32 Saturated32(qint64 Value);
