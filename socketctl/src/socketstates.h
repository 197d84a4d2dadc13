#pragma once

#include "socketstate.h"

#include <QList>

#include <memory>

namespace Pelloxan
{
// The control's connection slots in the order of adding. A new slot takes the smallest free
// number from 1 up.
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

    QList<SocketStatePtr>::const_iterator begin() const
    {
        return m_slots.cbegin();
    }

    QList<SocketStatePtr>::const_iterator end() const
    {
        return m_slots.cend();
    }

private:
    QList<SocketStatePtr> m_slots;
};
} // namespace Pelloxan
