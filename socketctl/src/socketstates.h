#pragma once

#include "socketstate.h"

#include <QHash>
#include <QList>

#include <list>
#include <memory>
#include <set>

namespace Pelloxan
{
// The control's connection slots in the order of adding. A new slot takes the smallest free
// number from 1 up. Adding, finding and removing a slot cost the same with ten slots as with ten
// thousand.
class PELLOXAN_TESTS_EXPORT SocketStates final
{
public:
    // Slot numbers fit a 16-bit signed integer.
    static constexpr qint32 MaxCode = 32767;

    // Null when every number is taken.
    SocketStatePtr Add();
    SocketStatePtr Item(qint32 Code) const;
    qsizetype Count() const;
    void Remove(qint32 Code);
    // A copy to iterate over while a wait inside the loop changes the table.
    QList<SocketStatePtr> Snapshot() const;

    std::list<SocketStatePtr>::const_iterator begin() const
    {
        return m_slots.cbegin();
    }

    std::list<SocketStatePtr>::const_iterator end() const
    {
        return m_slots.cend();
    }

private:
    std::list<SocketStatePtr> m_slots;
    QHash<qint32, std::list<SocketStatePtr>::iterator> m_byCode;
    // Numbers below m_nextCode that no slot holds.
    std::set<qint32> m_freeCodes;
    qint32 m_nextCode = 1;
};
} // namespace Pelloxan
