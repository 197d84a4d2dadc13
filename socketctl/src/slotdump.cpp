#include "slotdump.h"

#include "textfiles.h"

namespace Pelloxan
{
namespace
{
// Lines a chunk holds: a changed line costs the rebuilding of this many.
constexpr std::size_t ChunkSlots = 256;
const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// What the slot's line shows that changes without a word to the dump.
qint64 Signature(const SocketState &Slot)
{
    constexpr int StateBits = 4;
    qint64 signature = Slot.Answers.Count();
    signature = signature << 1 | (Slot.IsHeld() ? 1 : 0);
    signature = signature << 1 | (Slot.Sending ? 1 : 0);
    return signature << StateBits | StateNumber(Slot);
}

QByteArray Line(const SocketState &Slot)
{
    const char tab = '\t';
    return QByteArray::number(Slot.Code) + tab + QByteArray::number(Slot.Answers.Count()) + tab
           + (Slot.IsOutgoing ? "OUT" : "IN") + tab + (Slot.IsHeld() ? "BUSY" : "FREE") + tab
           + (Slot.Sending ? "SENDING" : "NOT SENDING") + tab + QByteArray::number(StateNumber(Slot)) + tab
           + Slot.RemoteIP.toUtf8() + LineEnd;
}

bool IsFinal(const SocketState &Slot)
{
    return !Slot.Socket() && !Slot.IsHeld() && !Slot.Sending && Slot.Answers.Count() == 0;
}
} // namespace

void SlotDump::Add(SocketState &Slot)
{
    if (m_chunks.empty() || m_chunks.back().Slots.size() >= ChunkSlots) {
        m_chunks.emplace_back();
    }
    SlotDumpChunk &chunk = m_chunks.back();
    chunk.Slots.push_back(&Slot);
    chunk.Dirty = true;
    Slot.DumpChunk = &chunk;
    Slot.DumpSignature = -1;
    m_active.insert(&Slot);
}

void SlotDump::Remove(SocketState &Slot)
{
    m_active.remove(&Slot);
    SlotDumpChunk *chunk = Slot.DumpChunk;
    Slot.DumpChunk = nullptr;
    if (chunk == nullptr) {
        return;
    }
    std::erase(chunk->Slots, &Slot);
    chunk->Dirty = true;
    if (!chunk->Slots.empty()) {
        return;
    }
    for (auto it = m_chunks.begin(); it != m_chunks.end(); ++it) {
        if (&*it == chunk) {
            // What follows moves up in the file.
            const auto next = m_chunks.erase(it);
            if (next != m_chunks.end()) {
                next->Dirty = true;
            }
            break;
        }
    }
}

void SlotDump::Changed(SocketState &Slot)
{
    Slot.DumpSignature = -1;
    if (Slot.DumpChunk != nullptr) {
        m_active.insert(&Slot);
    }
}

void SlotDump::Refresh(SocketState &Slot)
{
    const qint64 signature = Signature(Slot);
    if (signature == Slot.DumpSignature) {
        return;
    }
    Slot.DumpSignature = signature;
    Slot.DumpLine = Line(Slot);
    Slot.DumpChunk->Dirty = true;
}

bool SlotDump::Write(const QString &FileName, QString &ErrString)
{
    for (auto it = m_active.begin(); it != m_active.end();) {
        Refresh(**it);
        it = IsFinal(**it) ? m_active.erase(it) : std::next(it);
    }
    qint64 offset = 0;
    qint64 firstChanged = -1;
    QByteArray tail;
    for (SlotDumpChunk &chunk : m_chunks) {
        if (chunk.Dirty) {
            chunk.Text.clear();
            for (const SocketState *slot : chunk.Slots) {
                chunk.Text += slot->DumpLine;
            }
            chunk.Dirty = false;
            if (firstChanged < 0) {
                firstChanged = offset;
            }
        }
        if (firstChanged >= 0) {
            tail += chunk.Text;
        }
        offset += chunk.Text.size();
    }
    if (firstChanged < 0) {
        firstChanged = offset;
    }
    tail += LineEnd;
    const qint64 size = offset + LineEnd.size();
    if (m_fileSize >= 0) {
        switch (PatchFileTail(FileName, m_fileSize, firstChanged, tail, ErrString)) {
        case FilePatch::Patched:
            m_fileSize = size;
            return true;
        case FilePatch::Failed:
            m_fileSize = -1;
            return false;
        case FilePatch::Stale:
            break;
        }
    }
    // Missing, changed by someone else or never written: written whole (WriteTextFile adds the line end).
    QByteArray whole;
    whole.reserve(offset);
    for (const SlotDumpChunk &chunk : m_chunks) {
        whole += chunk.Text;
    }
    m_fileSize = -1;
    if (!WriteTextFile(FileName, whole, ErrString)) {
        return false;
    }
    m_fileSize = size;
    return true;
}
} // namespace Pelloxan
