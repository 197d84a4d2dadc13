#pragma once

#include "socketctl.h"

#include <QByteArray>

// The wire form of a pack: direction, code, header and the length of the text, each a decimal
// number with one leading blank (a minus sign for a negative one), separated by "|", then the
// text in Windows-1251. No terminator: the length ends the text, so the text may hold "|".
namespace Pelloxan::PacketFraming
{
// A text longer than this on the wire is refused, so a peer cannot make the receiver buffer
// without bound.
constexpr qsizetype MaxMessageBytes = 4 * 1024 * 1024;
// Real peers write at most 11 characters a field; a longer one is garbage, and refusing it keeps
// a peer from making the receiver rescan an ever-growing field.
constexpr qsizetype MaxFieldBytes = 64;

enum class ParseResult
{
    Complete,   // Pack holds the message, Next points past it
    Incomplete, // wait for more bytes; Pack and Next untouched
    Malformed   // the stream cannot be a message stream: drop the connection
};

// The wire bytes of Pack; the length counts the encoded bytes.
PELLOXAN_TESTS_EXPORT QByteArray ToPacketString(const MessagePack &Pack);

// Reads one message that starts at byte From of Text. On Complete, Next is the offset of the first
// byte after it (Text.size() when nothing follows).
PELLOXAN_TESTS_EXPORT ParseResult FromPacketString(const QByteArray &Text,
                                                   qsizetype From,
                                                   MessagePack &Pack,
                                                   qsizetype &Next);
} // namespace Pelloxan::PacketFraming
