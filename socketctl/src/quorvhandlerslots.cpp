// The control's connection slots: making, freeing, purging and the dump file.
#include "clock.h"
#include "datafolder.h"
#include "slotdump.h"
#include "socketctl.h"
#include "socketstates.h"
#include "textfiles.h"

#include <QTimer>

namespace Pelloxan
{
namespace
{
// The table of slots, written to the data folder after every change, for a person to look at.
const QString DumpFileName = QStringLiteral("sckdump.txt");
} // namespace

SocketStatePtr Quorvhandler::NewSlot(bool IsOutgoing, QString &ErrString)
{
    SocketStatePtr slot = m_slots->Add();
    if (!slot) {
        ErrString = QStringLiteral("Ошибка создания коннекции: нет свободного номера коннекции");
        return nullptr;
    }
    slot->Busy = true;
    slot->IsOutgoing = IsOutgoing;
    AttachSocket(slot, new QTcpSocket(this));
    m_dump->Add(*slot);
    DumpSlots();
    return slot;
}

void Quorvhandler::AttachSocket(const SocketStatePtr &Slot, QTcpSocket *Socket)
{
    Slot->SetSocket(Socket);
    const std::weak_ptr<SocketState> weak = Slot;
    connect(Socket, &QTcpSocket::readyRead, this, [this, weak] {
        if (const SocketStatePtr slot = weak.lock()) {
            OnDataArrival(slot);
        }
    });
    connect(Socket, &QTcpSocket::bytesWritten, this, [this, weak] {
        const SocketStatePtr slot = weak.lock();
        const QTcpSocket *socket = slot ? slot->Socket() : nullptr;
        if (socket && socket->bytesToWrite() == 0) {
            slot->Sending = false;
            WakeWaits();
        }
    });
    connect(Socket, &QTcpSocket::errorOccurred, this, [this, weak](QAbstractSocket::SocketError error) {
        if (const SocketStatePtr slot = weak.lock()) {
            slot->Failed = slot->Failed || error != QAbstractSocket::RemoteHostClosedError;
            slot->Sending = false;
            WakeWaits();
        }
    });
    connect(Socket, &QTcpSocket::disconnected, this, [this, weak] {
        if (const SocketStatePtr slot = weak.lock()) {
            SocketClosed(slot);
        }
    });
    connect(Socket, &QTcpSocket::stateChanged, this, &Quorvhandler::WakeWaits);
}

void Quorvhandler::SocketClosed(const SocketStatePtr &Slot)
{
    Slot->Sending = false;
    QTcpSocket *socket = Slot->Socket();
    if (!socket) {
        return;
    }
    // What the peer sent before it closed is still handled, in order, by the receive path.
    const QByteArray last = socket->bytesAvailable() > 0 ? socket->readAll() : QByteArray();
    if (!last.isEmpty()) {
        Slot->IncommingBuffer += last;
        Slot->LastIncommingMessageTime = Clock::Now();
        Slot->MoreInBuffer = true;
        if (!Slot->Receiving && !Slot->Backlog) {
            QueueBacklog(Slot);
        }
    } else if (!Slot->Receiving && !Slot->Backlog) {
        Slot->IncommingBuffer = QByteArray();
        Slot->IncommingReadPos = 0;
    }
    // The socket and its buffers are what a closed slot costs; its bookkeeping waits for the purge.
    ReleasePeer(*Slot);
    socket->disconnect(this);
    socket->deleteLater();
    Slot->SetSocket(nullptr);
    DumpSlots();
    WakeWaits();
}

void Quorvhandler::FreeSlot(const SocketStatePtr &Slot)
{
    if (!Slot->Alive) {
        return;
    }
    QTcpSocket *socket = Slot->Socket();
    Slot->Busy = true;
    Slot->Alive = false;
    Slot->SetSocket(nullptr);
    ReleasePeer(*Slot);
    if (socket) {
        // Its handlers are cut first, so the abort runs none of them.
        socket->disconnect(this);
        socket->abort();
        // The socket may be the sender of the signal being handled.
        socket->deleteLater();
    }
    m_dump->Remove(*Slot);
    m_slots->Remove(Slot->Code);
    DumpSlots();
    WakeWaits();
}

void Quorvhandler::PurgeSlots()
{
    const QList<SocketStatePtr> table = m_slots->Snapshot();
    // The outgoing slots of each computer, in the order of adding: a slot is compared only with
    // those, so a purge stays linear in the table however many closed slots it holds.
    QHash<QString, QList<SocketStatePtr>> outgoing;
    for (const SocketStatePtr &slot : table) {
        if (slot->IsOutgoing) {
            outgoing[slot->RemoteIP].append(slot);
        }
    }
    for (const SocketStatePtr &a : table) {
        if (!a->Alive) {
            continue;
        }
        // A failed socket is as dead as a closed one; keeping it idle would keep it forever.
        if (!a->IsHeld() && IsClosedState(StateNumber(*a))) {
            FreeSlot(a);
            continue;
        }
        if (!a->IsOutgoing) {
            continue;
        }
        for (const SocketStatePtr &b : std::as_const(outgoing[a->RemoteIP])) {
            if (b == a || !b->Alive) {
                continue;
            }
            if (!b->IsHeld()) {
                FreeSlot(b);
            } else if (!a->IsHeld()) {
                FreeSlot(a);
                break;
            }
        }
    }
}

void Quorvhandler::DumpSlots()
{
    if (!m_dumpTimer->isActive()) {
        m_dumpTimer->start();
    }
}

void Quorvhandler::WriteDump()
{
    const QString path = DataFolder::FilePath(DumpFileName);
    QString error;
    if (!m_dump->Write(path, error)) {
        emit Failure(QStringLiteral("Ошибка записи файла '") + path + QStringLiteral("': ") + error);
    }
}
} // namespace Pelloxan
