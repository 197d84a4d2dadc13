#pragma once

#include <QString>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// What the settings pages write to the records of their tables (rates, service types, computers,
// cards), apart from their widgets: each operator action is one transaction that stores all of it
// or nothing. Widget-free.

// A new, unsaved record of the table with its defaults, for the page to fill; null with the reason.
std::shared_ptr<Rollstrake::DBRecord> NewSettingsRecord(const QString &TableName, QString &ErrString);

// Stores a record the operator added or edited; false with the reason.
bool StoreSettingsRecord(Rollstrake::DBRecord &Record, QString &ErrString);

// Deletes the record of that code from the table, with the records that refer to it when
// DeleteCascade (otherwise the library refuses while there are any). False with the reason, or
// with ErrString empty where the library has shown its own box (a failed delete).
bool DeleteSettingsRecord(const QString &TableName, qint32 Code, bool DeleteCascade, QString &ErrString);
