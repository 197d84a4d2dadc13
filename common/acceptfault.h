#pragma once

#include "quillmarsh_common_export.h"

// What a failed accept() says about the listener that called it ("no connection waiting" is the
// caller's to tell apart first).
enum class AcceptFault
{
    // The waiting connection itself failed (reset, a network error the system passes on) or the
    // call was interrupted: the next accept may be fine.
    Connection,
    // The process or the system has no descriptor or memory left: accepting must pause, not retry.
    Descriptors,
    // The listening socket itself is broken.
    Listener,
};

QUILLMARSH_COMMON_EXPORT AcceptFault AcceptFaultOf(int Error);
