#include "proxy/openfilelimit.h"

#include <cerrno>
#include <cstring>
#include <sys/resource.h>

bool RaiseOpenFileLimit(QString &ErrString)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        ErrString =
            QStringLiteral("Не удалось прочитать предел открытых файлов: ") + QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    if (limit.rlim_cur == limit.rlim_max) {
        return true;
    }
    limit.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        ErrString =
            QStringLiteral("Не удалось поднять предел открытых файлов: ") + QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    return true;
}
