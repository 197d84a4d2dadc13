#pragma once

#include "desktops/filebytes.h"

// A file's bytes that are already in memory (a test's, the fuzzer's), viewed in place.
class MemoryBytes final : public FileBytes
{
public:
    explicit MemoryBytes(QByteArrayView Bytes)
        : m_bytes(Bytes)
    {
    }

    qint64 Size() const override
    {
        return m_bytes.size();
    }

    std::optional<QByteArrayView> View(qint64 Offset, qint64 Length) override
    {
        if (Offset < 0 || Length < 0 || Offset > m_bytes.size() || Length > m_bytes.size() - Offset) {
            return std::nullopt;
        }
        return m_bytes.sliced(Offset, Length);
    }

private:
    QByteArrayView m_bytes;
};
