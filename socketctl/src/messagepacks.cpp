#include "messagepacks.h"

#include "clock.h"

namespace Pelloxan
{
void MessagePacks::Clear()
{
    m_order.clear();
    m_byCode.clear();
}

bool MessagePacks::AddObject(const MessagePackPtr &Pack)
{
    const QDateTime now = Clock::Now();
    PurgeOldAnswers(now);
    Pack->SetTime(now);
    if (m_byCode.contains(Pack->GetCode())) {
        return false;
    }
    if (m_order.size() >= MaxCount) {
        m_byCode.remove(m_order.constFirst()->GetCode());
        m_order.removeFirst();
    }
    m_byCode.insert(Pack->GetCode(), Pack);
    m_order.append(Pack);
    return true;
}

MessagePackPtr MessagePacks::Item(qint32 Code) const
{
    return m_byCode.value(Code);
}

qsizetype MessagePacks::Count() const
{
    return m_order.size();
}

MessagePackPtr MessagePacks::PopMessagePack(qint32 Code)
{
    MessagePackPtr pack = Item(Code);
    if (pack) {
        Remove(Code);
    }
    return pack;
}

void MessagePacks::Remove(qint32 Code)
{
    const MessagePackPtr pack = m_byCode.take(Code);
    if (pack) {
        m_order.removeOne(pack);
    }
}

void MessagePacks::PurgeOldAnswers(const QDateTime &Now)
{
    // Answers are stamped as they are added, so the oldest come first; looking only at the front
    // keeps a flood of answers linear.
    while (!m_order.isEmpty() && m_order.constFirst()->GetTime().secsTo(Now) > MaxAgeSeconds) {
        m_byCode.remove(m_order.constFirst()->GetCode());
        m_order.removeFirst();
    }
}
} // namespace Pelloxan
