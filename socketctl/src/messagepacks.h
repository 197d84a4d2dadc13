#pragma once

#include "socketctl.h"

#include <QHash>
#include <QList>

namespace Pelloxan
{
// The answers that arrived on one connection and wait for the request they belong to, keyed by
// their code, in the order of adding. Answers nobody took for 180 seconds are dropped.
class PELLOXAN_TESTS_EXPORT MessagePacks final
{
public:
    static constexpr qint64 MaxAgeSeconds = 180;
    // A dialog waits for one answer at a time; a peer that sends thousands nobody asked for must
    // not fill the memory, so beyond this the oldest is dropped.
    static constexpr qsizetype MaxCount = 1000;

    void Clear();
    // Stamps Pack with the current time and stores it; false (Pack dropped) when an answer with
    // its code is already waiting.
    bool AddObject(const MessagePackPtr &Pack);
    MessagePackPtr Item(qint32 Code) const;
    qsizetype Count() const;
    // The stored answer with Code, removed from the store; null when none.
    MessagePackPtr PopMessagePack(qint32 Code);
    void Remove(qint32 Code);

    QList<MessagePackPtr>::const_iterator begin() const
    {
        return m_order.cbegin();
    }

    QList<MessagePackPtr>::const_iterator end() const
    {
        return m_order.cend();
    }

private:
    void PurgeOldAnswers(const QDateTime &Now);

    QList<MessagePackPtr> m_order;
    QHash<qint32, MessagePackPtr> m_byCode;
};
} // namespace Pelloxan
