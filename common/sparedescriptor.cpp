#include "sparedescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

SpareDescriptor::~SpareDescriptor()
{
    Release();
}

bool SpareDescriptor::Reserve(QString &ErrString)
{
    if (m_descriptor < 0) {
        m_descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (m_descriptor < 0) {
            ErrString = QStringLiteral("резервный дескриптор недоступен: ") + QString::fromLocal8Bit(strerror(errno));
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

bool SpareDescriptor::IsHeld() const
{
    return m_descriptor >= 0;
}
