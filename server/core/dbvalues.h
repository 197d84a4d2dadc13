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

// The table's record with this code. None with ErrString empty when there is no such record (a code
// of 0 or less finds none without a query); none with ErrString set when it cannot be read.
std::shared_ptr<Rollstrake::DBRecord> RecordByCode(const QString &TableName, qint32 Code, QString &ErrString);

// Every record of the table in the library's order; none with ErrString when it cannot be read.
std::shared_ptr<Rollstrake::DBRecords> AllRecords(const QString &TableName, QString &ErrString);

// An error line in the main log for a database failure that the caller cannot pass on (it answers
// "none" or a default, as its callers expect): Where names the lookup. Nothing when ErrString is empty.
void LogDbError(const QString &Where, const QString &ErrString);

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
