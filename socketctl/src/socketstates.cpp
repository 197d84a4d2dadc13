#include "socketstates.h"

namespace Pelloxan
{
SocketStatePtr SocketStates::Add()
{
    qint32 code = m_nextCode;
    if (!m_freeCodes.empty()) {
        code = *m_freeCodes.begin();
        m_freeCodes.erase(m_freeCodes.begin());
    } else if (code > MaxCode) {
        return nullptr;
    } else {
        ++m_nextCode;
    }
    auto slot = std::make_shared<SocketState>(code);
    m_byCode.insert(code, m_slots.insert(m_slots.end(), slot));
    return slot;
}

SocketStatePtr SocketStates::Item(qint32 Code) const
{
    const auto found = m_byCode.constFind(Code);
    return found == m_byCode.cend() ? nullptr : *found.value();
}

qsizetype SocketStates::Count() const
{
    return m_byCode.size();
}

void SocketStates::Remove(qint32 Code)
{
    const auto found = m_byCode.find(Code);
    if (found == m_byCode.end()) {
        return;
    }
    m_slots.erase(found.value());
    m_byCode.erase(found);
    m_freeCodes.insert(Code);
    // The highest numbers given back shrink the range, so an emptied table keeps no free list.
    while (!m_freeCodes.empty() && *m_freeCodes.rbegin() == m_nextCode - 1) {
        m_freeCodes.erase(std::prev(m_freeCodes.end()));
        --m_nextCode;
    }
}

QList<SocketStatePtr> SocketStates::Snapshot() const
{
    return QList<SocketStatePtr>(m_slots.cbegin(), m_slots.cend());
}
} // namespace Pelloxan
