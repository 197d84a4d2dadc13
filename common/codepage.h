#pragma once

#include "quillmarsh_common_export.h"

#include <QByteArray>
#include <QString>

// The two Cyrillic code pages that the peers of the program still use: Windows-1251 (the wire text
// of client messages, the bytes of password digests, older schema files) and code page 866 (DOS).
// Qt has no codec for them; this one maps every byte both ways.
namespace CodePage
{
QUILLMARSH_COMMON_EXPORT QString FromWindows1251(const QByteArray &bytes);
// One byte per character; a character that Windows-1251 lacks becomes "?".
QUILLMARSH_COMMON_EXPORT QByteArray ToWindows1251(const QString &text);

QUILLMARSH_COMMON_EXPORT QString FromCp866(const QByteArray &bytes);
// One byte per character; a character that code page 866 lacks becomes "?".
QUILLMARSH_COMMON_EXPORT QByteArray ToCp866(const QString &text);

// True when the bytes are well-formed UTF-8 (plain ASCII included).
QUILLMARSH_COMMON_EXPORT bool IsValidUtf8(const QByteArray &bytes);
} // namespace CodePage
