#pragma once

#include "socketstate.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <list>
#include <vector>

namespace Pelloxan
{
// A run of consecutive lines of the dump and their text.
struct SlotDumpChunk
{
    std::vector<SocketState *> Slots;
    QByteArray Text;
    bool Dirty = true;
};

// The text of the slot dump "sckdump.txt", kept in step with the slot table so that writing it
// costs what changed, not the whole table: the lines sit in chunks in the order of adding, a chunk
// is made again only when one of its lines changed, and the file is rewritten from the first
// changed chunk on. A slot's line can change only while it has a socket, is held or has answers
// waiting; once none of that holds, its line is final and it is not looked at again.
class PELLOXAN_TESTS_EXPORT SlotDump final
{
public:
    // A new slot, last in the order of adding.
    void Add(SocketState &Slot);
    void Remove(SocketState &Slot);
    // Something on the slot's line may have changed that its other fields do not show (the remote
    // address was set).
    void Changed(SocketState &Slot);
    // Brings FileName in line with the table; false with the reason when the file cannot be written.
    bool Write(const QString &FileName, QString &ErrString);

private:
    void Refresh(SocketState &Slot);

    std::list<SlotDumpChunk> m_chunks;
    // Slots whose lines may still change.
    QSet<SocketState *> m_active;
    // The file's size after the last write; -1 when it must be written whole.
    qint64 m_fileSize = -1;
};
} // namespace Pelloxan
