#pragma once

#include "core/compbuttons.h"

#include <QDateTime>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace Rollstrake
{
class DBRecord;
}

// From what callers hold (a computer number, an IP address, a moment) to the records of the tables
// "Computers" and "Seances". Computer numbers map to record codes, and addresses to numbers,
// through a program-wide cache that is filled on first use and only rebuilt on request.

// The record code of computer Num, 0 when the number is not in the cache; Rebuild refills the cache.
qint32 GetComputerCode(qint32 Num, bool Rebuild);

// The computer's record, or none (with the library's message, if it gave one, in ErrString).
std::shared_ptr<Rollstrake::DBRecord> GetComputerRecord(qint32 Num, QString &ErrString);

// The lowest number from 1 up that no computer has (as of the last cache rebuild).
qint32 GetFreeComputerNum();

// The number of the computer with this IP address, 0 when none: from the cache, which is rebuilt
// for an address it does not hold.
qint32 GetComputerNumByIP(const QString &IP);

// The computer's IP address, empty when there is no such computer.
QString GetComputerIPByNum(qint32 Num);

// "3: Касса" for computer 3 named Касса, "3" without a name; empty text, after an error box, when
// there is no such computer.
QString GetComputerName(qint32 Num);

// The IP addresses of every computer, IPv4 in dotted form; nothing when the list cannot be read
// (the failure goes to the main log).
std::optional<QSet<QString>> GetComputerIPs();

// One enabled, unselected entry per computer, in the library's order.
std::shared_ptr<CompButtons> GetComputers();

// The seance that runs on computer Num at Moment (null or the zero date: now), both bounds
// included; the first one found where seances overlap; none for a number without a computer.
// A seance that cannot be read is none with its failure in the main log; callers that must tell it
// from no seance pass ErrString.
std::shared_ptr<Rollstrake::DBRecord> GetSeanceAt(qint32 Num, const QDateTime &Moment);
std::shared_ptr<Rollstrake::DBRecord> GetSeanceAt(qint32 Num, const QDateTime &Moment, QString &ErrString);
qint32 GetSeanceCodeAt(qint32 Num, const QDateTime &Moment);

// Writes Text to the main log as an error line and, with Show, shows it in a box titled "Внимание!"
// (critical icon for Logger::KindError, information otherwise).
void ShowWarning(const QString &Text, qint32 Kind, bool Show);
