#include "messagepacks.h"

#include "clock.h"

void MessagePacks::Clear()
{
    m_Order.clear();
    m_ByCode.clear();
}

bool MessagePacks::AddObject(const MessagePackPtr &Pack)
{
    const QDateTime now = Clock::Now();
    PurgeOldAnswers(now);
    Pack->SetTime(now);
    if (m_ByCode.contains(Pack->GetCode())) {
        return false;
    }
    if (m_Order.size() >= MaxCount) {
        m_ByCode.remove(m_Order.constFirst()->GetCode());
        m_Order.removeFirst();
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

void MessagePacks::PurgeOldAnswers(const QDateTime &Now)
{
    // Answers are stamped as they are added, so the oldest come first; looking only at the front
    // keeps a flood of answers linear.
    while (!m_Order.isEmpty() && m_Order.constFirst()->GetTime().secsTo(Now) > MaxAgeSeconds) {
        m_ByCode.remove(m_Order.constFirst()->GetCode());
        m_Order.removeFirst();
    }
}
