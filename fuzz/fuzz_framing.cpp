// Feeds arbitrary bytes to the framing parser as a connection's buffer would hold them.
#include "framingcheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString failure;
    if (!CheckFraming(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), failure)) {
        std::fprintf(stderr, "framing check failed: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
