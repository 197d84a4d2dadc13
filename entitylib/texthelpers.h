#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace Rollstrake
{
// Opens FileName for reading into File: 1 when open, -1 missing, -2 empty (closed again),
// -3 not openable; ErrString says why. Retry allows 100 attempts 3 seconds apart instead of one;
// RetryOnAnyError retries every failure, not only a busy file.
qint16 OpenFileForReading(const QString &FileName, QString &ErrString, bool Retry, qint16 RetryOnAnyError, QFile &File);

// Which Cyrillic code page a text in Windows-1251 byte codes was written in: 2 code page 866,
// 1 Windows-1251, 0 undecided.
qint32 DetectCodePage(const QByteArray &Text);
// Code page 866 Russian letters moved to their Windows-1251 codes; other bytes kept.
QByteArray DOSToWindows(const QByteArray &Text);
// DOSToWindows for a text recognised as code page 866, otherwise the text unchanged.
QByteArray ConvertFromDOS(const QByteArray &Text);

// {d 'yyyy-mm-dd'} (Kind 0 or 1), {t 'hh:mm:ss'} (2) or {ts 'yyyy-mm-dd hh:mm:ss'} (3); empty otherwise.
QString GetODBCDateLiteral(const QDateTime &DateValue, quint8 Kind);
// Every single quote doubled.
QString QuoteSQLString(const QString &Text);
// Blanks at both ends removed (blanks only, not tabs or line ends), as stored texts are trimmed.
QString TrimBlanks(const QString &text);

// dd<sep>mm<sep>yyyy, with " hh:mm:ss" when WithTime; empty for a null date.
QString DateToString(const QDateTime &DateValue, bool WithTime, const QString &Separator);
// The day of DateValue at 00:00:00, or 23:59:59 with EndOfDay; null for null.
QDateTime GetDayBound(const QDateTime &DateValue, bool EndOfDay);
// "C" followed by the number: the key of record collections.
QString MakeItemKey(qint32 Number);
} // namespace Rollstrake
