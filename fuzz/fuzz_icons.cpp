// Feeds arbitrary bytes to the icon reading of the shortcut tiles, as a damaged program or icon
// file on the server would hold them.
#include "iconcheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString failure;
    if (!CheckIconBytes(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), failure)) {
        std::fprintf(stderr, "icon check failed: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
