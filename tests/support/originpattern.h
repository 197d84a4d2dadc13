#pragma once

#include <QByteArray>
#include <QtGlobal>

// The bytes that the test origin serves for "/size/N": a fixed sequence of pseudo-random bytes
// repeated every Period bytes (a prime, so no power-of-two read size lines up with it), identical
// for the origin and the suites that check what arrived.
namespace OriginPattern
{
constexpr qsizetype Period = 65521;

inline char ByteAt(qint64 Offset)
{
    quint32 x = static_cast<quint32>(Offset % Period) * 2654435761U + 0x9E3779B9U;
    x ^= x >> 15;
    x *= 0x2C1B3C6DU;
    x ^= x >> 12;
    return static_cast<char>(x & 0xFFU);
}

// The first Size bytes of what the origin serves.
inline QByteArray Bytes(qint64 Size)
{
    QByteArray bytes(Size, Qt::Uninitialized);
    for (qint64 i = 0; i < Size; ++i) {
        bytes[i] = ByteAt(i);
    }
    return bytes;
}
} // namespace OriginPattern
