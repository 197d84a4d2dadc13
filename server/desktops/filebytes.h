#pragma once

#include <QByteArrayView>

#include <optional>

// Where the icon readers take a file's bytes from, range by range: bytes already in memory, or a
// bounded copy of a file on disk made as the reader asks for its parts. A range comes whole or not
// at all, so every offset a file names is checked once, here.
class FileBytes
{
public:
    virtual ~FileBytes() = default;

    virtual qint64 Size() const = 0;

    // Length bytes at Offset, valid while this object lives; nothing when they are not all there.
    virtual std::optional<QByteArrayView> View(qint64 Offset, qint64 Length) = 0;
};
