#pragma once

#include <QString>

// The club's settings: named text values in the table "Config". Values read are kept in memory
// while the table is unchanged; every save goes through the data-entity library, which counts the
// table's changes, so a value saved anywhere is seen by the next read. Lookup errors go to the main
// log as information, save errors as errors; nothing is reported to the caller.

// The value of the setting, or the empty text when there is none (or it cannot be read).
QString GetConfigValue(const QString &Name);
// The same for a caller that must not take a failed read for an empty value: ErrString says why.
QString GetConfigValue(const QString &Name, QString &ErrString);

// Stores the value, adding the record when the name has none; a failed save keeps the old value.
void SetConfigValue(const QString &Name, const QString &Value);

// Writes the default of every setting that has one and whose value is empty, in a fixed order.
void SetDefaultSettings();
