#pragma once

#include "currency.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace Rollstrake
{
class DBRecord;
}

// What the computer tiles, the computers panel and the selection rules read from and write to the
// club's database. The program's implementation goes through the settings store and the seance
// lookups; keeping it behind this interface lets the tiles' decisions run on plain values.
//
// A read that fails is never taken for "none" where that would act on a client: the seance lookups
// say so in ErrString (a tile then keeps its state until the next refresh). The other reads log the
// failure and answer what leaves everything as it is (a computer that cannot be read still exists).
class SeanceData
{
public:
    // The fields of one `Seances` record that the tiles use.
    struct Seance
    {
        qint32 Code = 0;
        QDateTime BeginDate;
        QDateTime EndDate;
        Currency Downloaded;
        Currency Uploaded;
        qint32 Desktop = 0;
        bool IsNight = false;
        // The `Seances` record itself, for the handlers that build the client's message; none
        // where the data does not come from the database.
        std::shared_ptr<Rollstrake::DBRecord> Record;
    };

    // Tonight's state of a computer (0 free, 1 fully prepaid reserve, 2 prepaid reserve,
    // 3 night seance running, 4 reserve used or lapsed) and the nickname of the reserve handed back.
    struct NightInfo
    {
        qint32 State = 0;
        bool HasReserve = false;
        QString Nickname;
    };

    virtual ~SeanceData() = default;

    // Numbers of all `Computers` records in the order the library returns the table.
    virtual QList<qint32> ComputerNums() = 0;

    // The set of computers changed: lookups by number that keep what they found start afresh.
    virtual void ComputersChanged() {}

    virtual bool ComputerExists(qint32 Num) = 0;
    virtual QString ComputerIP(qint32 Num) = 0;
    // The number, then ": " and the name when the computer has one; empty when there is none.
    virtual QString ComputerName(qint32 Num) = 0;

    // The seance running on the computer at the moment, if any; ErrString is empty unless the read
    // failed.
    virtual std::optional<Seance> SeanceAt(qint32 Num, const QDateTime &Moment, QString &ErrString) = 0;
    virtual std::optional<Seance> FindSeance(qint32 Code, QString &ErrString) = 0;
    // Whether the desktop allows the internet; nothing when the desktop has no record.
    virtual std::optional<bool> DesktopAllowsInternet(qint32 Desktop) = 0;
    virtual bool SaveSeanceTraffic(qint32 Code, Currency Downloaded, Currency Uploaded, QString &ErrString) = 0;

    virtual NightInfo NightState(qint32 Num, const QDateTime &Moment) = 0;

    // The same, when the seance running on the computer at the moment has already been read: an
    // implementation over the database need not look it up again.
    virtual NightInfo NightStateWith(qint32 Num, const QDateTime &Moment, const std::optional<Seance> &Running)
    {
        Q_UNUSED(Running);
        return NightState(Num, Moment);
    }

    virtual bool IsNightTime(const QDateTime &Moment) = 0;

    virtual QString ConfigValue(const QString &Name) = 0;
    // The caption of a `Shortcuts` record; nothing when there is none.
    virtual std::optional<QString> ShortcutCaption(qint32 Code) = 0;
};
