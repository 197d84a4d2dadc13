#include "messagepacks.h"

#include "clock.h"

void MessagePacks::Clear()
{
    m_Order.clear();
    m_ByCode.clear();
}

bool MessagePacks::AddObject(const MessagePackPtr &Pack)
{
    PurgeOldAnswers();
    Pack->SetTime(Clock::Now());
    if (m_ByCode.contains(Pack->GetCode())) {
        return false;
    }
    m_ByCode.insert(Pack->GetCode(), Pack);
    m_Order.append(Pack);
    return true;
}

MessagePackPtr MessagePacks::Item(qint32 Code) const
{
    return m_ByCode.value(Code);
}

qsizetype MessagePacks::Count() const
{
    return m_Order.size();
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
    const MessagePackPtr pack = m_ByCode.take(Code);
    if (pack) {
        m_Order.removeOne(pack);
    }
}

void MessagePacks::PurgeOldAnswers()
{
    // Answers are stamped as they are added, so the oldest come first; looking only at the front
    // keeps a flood of answers linear.
    const QDateTime now = Clock::Now();
    while (!m_Order.isEmpty() && m_Order.constFirst()->GetTime().secsTo(now) > MaxAgeSeconds) {
        m_ByCode.remove(m_Order.constFirst()->GetCode());
        m_Order.removeFirst();
    }
}
