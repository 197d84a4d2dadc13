#include "socketstates.h"

#include <QSet>

namespace Pelloxan
{
SocketStatePtr SocketStates::Add()
{
    QSet<qint32> taken;
    for (const SocketStatePtr &slot : m_slots) {
        taken.insert(slot->Code);
    }
    qint32 code = 1;
    while (taken.contains(code)) {
        ++code;
    }
    if (code > MaxCode) {
        return nullptr;
    }
    auto slot = std::make_shared<SocketState>(code);
    m_slots.append(slot);
    return slot;
}

SocketStatePtr SocketStates::Item(qint32 Code) const
{
    for (const SocketStatePtr &slot : m_slots) {
        if (slot->Code == Code) {
            return slot;
        }
    }
    return nullptr;
}

qsizetype SocketStates::Count() const
{
    return m_slots.size();
}

void SocketStates::Remove(qint32 Code)
{
    m_slots.removeIf([Code](const SocketStatePtr &slot) { return slot->Code == Code; });
}

QList<SocketStatePtr> SocketStates::Snapshot() const
{
    return m_slots;
}
} // namespace Pelloxan
