#pragma once

#include <QDateTime>
#include <QString>

// The texts of the history lines that operator actions on seances and night reserves write. Each
// text is built here alone, so that every dialog writes it identically. Moments are written
// day/month/year hours:minutes:seconds, durations (whole minutes) as hours:minutes, money with two
// decimals and " руб.".

// How the seance was started: a day seance, a night seance, or a night seance from a reserve.
enum class SeanceStartKind
{
    DaySeance,
    NightSeance,
    ReserveActivated,
};

// A sum that was paid (not 0) ends its text with how: CardPart of it from a card, as PaySeance
// recorded it, and the rest in cash; where both parts were paid, each is named with its sum.

QString SeanceAddedHistoryText(SeanceStartKind Kind,
                               const QDateTime &Begin,
                               const QDateTime &End,
                               qint32 Minutes,
                               const QString &DesktopName,
                               const QString &RateName,
                               qint32 Sum,
                               qint32 CardPart);

QString NightReservedHistoryText(const QDateTime &NightDate,
                                 const QString &DesktopName,
                                 const QString &RateName,
                                 qint32 Sum,
                                 qint32 CardPart);

QString SeanceEndChangedHistoryText(const QDateTime &OldEnd,
                                    const QDateTime &NewEnd,
                                    qint32 OldMinutes,
                                    qint32 NewMinutes,
                                    qint32 SumDifference,
                                    qint32 CardPart);

// A desktop or a rate of a seance before and after a change; Changed tells whether the record
// changed, as two records may share a name.
struct NameChange final
{
    bool Changed = false;
    QString Old;
    QString New;
};

// Only what changed is mentioned; the sum with its payment when it changed.
QString
SeancePrefsChangedHistoryText(const NameChange &Desktop, const NameChange &Rate, qint32 SumDifference, qint32 CardPart);

QString SeanceEndedHistoryText();
QString SeanceCancelledHistoryText();
// Written under the number of the computer that the seance left.
QString SeanceMovedHistoryText(qint32 NewComputerNum);
QString NightReserveCancelledHistoryText();
