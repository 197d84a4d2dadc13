#pragma once

#include "rollstrake_export.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace Rollstrake
{
// Opens FileName for reading into File: ReadFileOpened (1) when open, ReadFileMissing (-1),
// ReadFileEmpty (-2, closed again), ReadFileNotOpened (-3); ErrString says why. Retry allows 100
// attempts 3 seconds apart instead of one; RetryOnAnyError retries every failure, not only a busy
// file.
constexpr qint16 ReadFileOpened = 1;
constexpr qint16 ReadFileMissing = -1;
constexpr qint16 ReadFileEmpty = -2;
constexpr qint16 ReadFileNotOpened = -3;
ROLLSTRAKE_TESTS_EXPORT qint16
OpenFileForReading(const QString &FileName, QString &ErrString, bool Retry, qint16 RetryOnAnyError, QFile &File);

// Which Cyrillic code page a text in Windows-1251 byte codes was written in: CodePageDos866 (2),
// CodePageWindows1251 (1) or CodePageUndecided (0).
constexpr qint32 CodePageUndecided = 0;
constexpr qint32 CodePageWindows1251 = 1;
constexpr qint32 CodePageDos866 = 2;
ROLLSTRAKE_TESTS_EXPORT qint32 DetectCodePage(const QByteArray &Text);
// Code page 866 Russian letters moved to their Windows-1251 codes; other bytes kept.
ROLLSTRAKE_TESTS_EXPORT QByteArray DOSToWindows(const QByteArray &Text);
// DOSToWindows for a text recognised as code page 866, otherwise the text unchanged.
ROLLSTRAKE_TESTS_EXPORT QByteArray ConvertFromDOS(const QByteArray &Text);

// {d 'yyyy-mm-dd'} (Kind 0 or OdbcDate), {t 'hh:mm:ss'} (OdbcTime) or
// {ts 'yyyy-mm-dd hh:mm:ss'} (OdbcTimestamp); empty otherwise.
constexpr quint8 OdbcDate = 1;
constexpr quint8 OdbcTime = 2;
constexpr quint8 OdbcTimestamp = 3;
ROLLSTRAKE_TESTS_EXPORT QString GetODBCDateLiteral(const QDateTime &DateValue, quint8 Kind);
// Every single quote doubled.
ROLLSTRAKE_TESTS_EXPORT QString QuoteSQLString(const QString &Text);
// Blanks at both ends removed (blanks only, not tabs or line ends), as stored texts are trimmed.
ROLLSTRAKE_TESTS_EXPORT QString TrimBlanks(const QString &text);

// dd<sep>mm<sep>yyyy, with " hh:mm:ss" when WithTime; empty for a null date.
ROLLSTRAKE_TESTS_EXPORT QString DateToString(const QDateTime &DateValue, bool WithTime, const QString &Separator);
// The day of DateValue at 00:00:00, or 23:59:59 with EndOfDay; null for null.
ROLLSTRAKE_TESTS_EXPORT QDateTime GetDayBound(const QDateTime &DateValue, bool EndOfDay);
// "C" followed by the number: the key of record collections.
ROLLSTRAKE_TESTS_EXPORT QString MakeItemKey(qint32 Number);
// The refusal text of a keyed collection that already holds the key.
QString DuplicateKeyText();
} // namespace Rollstrake
