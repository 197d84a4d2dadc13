#pragma once

#include <QtGlobal>

namespace Pelloxan
{
// Numbers the requests of one control: 1, 2, ... 9999999, then 1 again.
class RequestCounter final
{
public:
    static constexpr qint32 MaxCode = 9999999;

    explicit RequestCounter(qint32 Last = 0)
        : m_last(Last)
    {
    }

    qint32 Next()
    {
        m_last = m_last >= MaxCode ? 1 : m_last + 1;
        return m_last;
    }

private:
    qint32 m_last;
};
} // namespace Pelloxan
