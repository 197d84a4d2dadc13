#pragma once

#include <QtGlobal>

// Numbers the requests of one control: 1, 2, ... 9999999, then 1 again.
class RequestCounter final
{
public:
    static constexpr qint32 MaxCode = 9999999;

    explicit RequestCounter(qint32 Last = 0)
        : m_Last(Last)
    {
    }

    qint32 Next()
    {
        m_Last = m_Last >= MaxCode ? 1 : m_Last + 1;
        return m_Last;
    }

private:
    qint32 m_Last;
};
