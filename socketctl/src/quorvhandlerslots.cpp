// The control's connection slots: making, freeing, purging and the dump file.
#include "datafolder.h"
#include "socketctl.h"
#include "socketstates.h"
#include "textfiles.h"

#include <unistd.h>

namespace Pelloxan
{
namespace
{
// The table of slots, written to the data folder on every change, for a person to look at.
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
    DumpSlots();
    return slot;
}

void Quorvhandler::AttachSocket(const SocketStatePtr &Slot, QTcpSocket *Socket)
{
    Slot->Socket = Socket;
    const std::weak_ptr<SocketState> weak = Slot;
    connect(Socket, &QTcpSocket::readyRead, this, [this, weak] {
        if (const SocketStatePtr slot = weak.lock()) {
            OnDataArrival(slot);
        }
    });
    connect(Socket, &QTcpSocket::bytesWritten, this, [this, weak] {
        const SocketStatePtr slot = weak.lock();
        if (slot && slot->Socket && slot->Socket->bytesToWrite() == 0) {
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
            slot->Sending = false;
            WakeWaits();
        }
    });
    connect(Socket, &QTcpSocket::stateChanged, this, &Quorvhandler::WakeWaits);
}

void Quorvhandler::FreeSlot(const SocketStatePtr &Slot)
{
    if (!Slot->Alive) {
        return;
    }
    Slot->Busy = true;
    Slot->Alive = false;
    if (QTcpSocket *socket = Slot->Socket) {
        socket->disconnect(this);
        socket->abort();
        // The socket may be the sender of the signal being handled.
        socket->deleteLater();
    }
    Slot->Socket = nullptr;
    m_slots->Remove(Slot->Code);
    DumpSlots();
    WakeWaits();
}

void Quorvhandler::PurgeSlots()
{
    for (const SocketStatePtr &a : m_slots->Snapshot()) {
        if (!a->Alive) {
            continue;
        }
        // A failed socket is as dead as a closed one; keeping it idle would keep it forever.
        if (!a->Busy && IsClosedState(StateNumber(*a))) {
            FreeSlot(a);
            continue;
        }
        if (!a->IsOutgoing) {
            continue;
        }
        for (const SocketStatePtr &b : m_slots->Snapshot()) {
            if (b == a || !b->Alive || !b->IsOutgoing || b->RemoteIP != a->RemoteIP) {
                continue;
            }
            if (!b->Busy) {
                FreeSlot(b);
            } else if (!a->Busy) {
                FreeSlot(a);
                break;
            }
        }
    }
}

void Quorvhandler::DumpSlots()
{
    QString text;
    for (const SocketStatePtr &slot : *m_slots) {
        const QStringList items = {QString::number(slot->Code),
                                   QString::number(slot->Answers.Count()),
                                   slot->IsOutgoing ? QStringLiteral("OUT") : QStringLiteral("IN"),
                                   slot->Busy ? QStringLiteral("BUSY") : QStringLiteral("FREE"),
                                   slot->Sending ? QStringLiteral("SENDING") : QStringLiteral("NOT SENDING"),
                                   QString::number(StateNumber(*slot)),
                                   slot->RemoteIP};
        text += items.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    const QString path = DataFolder::FilePath(DumpFileName);
    QString error;
    if (!WriteTextFile(path, text, error)) {
        emit Failure(QStringLiteral("Ошибка записи файла '") + path + QStringLiteral("': ") + error);
    }
}

void Quorvhandler::AcceptConnection(qintptr Descriptor)
{
    const QString refused = QStringLiteral("Входящее соединение не принято: ");
    QString error;
    const SocketStatePtr slot = NewSlot(false, error);
    if (!slot) {
        ::close(static_cast<int>(Descriptor));
        emit Failure(refused + error);
        return;
    }
    if (!slot->Socket->setSocketDescriptor(Descriptor)) {
        ::close(static_cast<int>(Descriptor));
        error = slot->Socket->errorString();
        FreeSlot(slot);
        emit Failure(refused + error);
        return;
    }
    slot->RemoteIP = DottedAddress(slot->Socket->peerAddress());
    slot->Busy = false;
    DumpSlots();
}
} // namespace Pelloxan
