#pragma once

#include "quillmarsh_common_export.h"

#include <QString>

// One descriptor held in reserve. When the process has no descriptor left, a connection waiting on
// a listener cannot even be accepted, nor can a log line be written: the reserve is given up for a
// moment to do either, and taken back.
class QUILLMARSH_COMMON_EXPORT SpareDescriptor final
{
public:
    SpareDescriptor() = default;
    ~SpareDescriptor();
    SpareDescriptor(const SpareDescriptor &) = delete;
    SpareDescriptor &operator=(const SpareDescriptor &) = delete;

    // Opens the reserve unless it is held; false with the reason.
    bool Reserve(QString &ErrString);
    void Release();
    bool IsHeld() const;

private:
    int m_descriptor = -1;
};
