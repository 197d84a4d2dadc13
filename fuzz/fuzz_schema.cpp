// Feeds arbitrary bytes to the schema-description reader as the file's contents, through the
// code-page detection.
#include "schemacheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString failure;
    if (!CheckSchema(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), failure)) {
        std::fprintf(stderr, "schema check failed: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
