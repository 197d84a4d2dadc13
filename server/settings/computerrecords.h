#pragma once

#include <QString>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// What the computers page writes to "Computers", apart from its widgets. Widget-free.

// A new, unsaved computer with the lowest free number, for the operator to fill; null with the
// reason.
std::shared_ptr<Rollstrake::DBRecord> NewComputerRecord(QString &ErrString);

// Stores a computer the operator added or edited, marked as not yet sent its client settings;
// false with the reason.
bool StoreComputerRecord(Rollstrake::DBRecord &Record, QString &ErrString);
