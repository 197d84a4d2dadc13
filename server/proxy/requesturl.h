#pragma once

#include <QByteArray>
#include <QString>

// The little the relay reads of the bytes it passes: the start of a chunk as text and the URL of
// a GET or POST request line.

// The bytes from the first up to index Last (at most Last + 1 of them), one character a byte
// through Windows-1251.
QString BytesToString(const QByteArray &Bytes, qsizetype Last);

// The URL of a GET or POST request line at the start of Text (the method in any case); the empty
// text for any other method or for bytes that start no request. The URL ends at the next blank,
// CR or LF, or at the end of Text.
QString GetRequestURL(const QString &Text);
