#include "proxy/sparedescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
QString SystemError()
{
    return QString::fromLocal8Bit(strerror(errno));
}
} // namespace

SpareDescriptor::~SpareDescriptor()
{
    Release();
}

bool SpareDescriptor::Reserve(QString &ErrString)
{
    if (m_descriptor < 0) {
        m_descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (m_descriptor < 0) {
            ErrString = QStringLiteral("резервный дескриптор недоступен: ") + SystemError();
            return false;
        }
    }
    return true;
}

void SpareDescriptor::Release()
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

bool SpareDescriptor::CloseWaiting(qintptr Listener, int &Closed, QString &ErrString)
{
    Closed = 0;
    if (!Reserve(ErrString)) {
        return false;
    }
    Release();
    // The listening socket does not block: the loop ends when no connection waits any more.
    for (;;) {
        const int accepted = ::accept4(static_cast<int>(Listener), nullptr, nullptr, SOCK_CLOEXEC);
        if (accepted < 0) {
            break;
        }
        ::close(accepted);
        ++Closed;
    }
    return Reserve(ErrString);
}
