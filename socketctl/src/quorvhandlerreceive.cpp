// The receive path: arrived bytes cut into messages in bounded batches, answers filed, requests
// raised to the host and answered, and the send with its wait for completion.
#include "clock.h"
#include "packetframing.h"
#include "socketctl.h"
#include "socketstates.h"
#include "steadyclock.h"

#include <QTimer>

namespace Pelloxan
{
namespace
{
// A remainder older than this is not the start of a message any more: it is dropped, which puts
// the stream back in step.
constexpr qint64 IncompleteMessageSeconds = 5;
// Messages of one connection handled in one turn of the event loop. A host's handler of a state
// report costs about a tenth of a millisecond, so a flood on one connection delays another
// client's answer by a few milliseconds at most.
constexpr int MessagesPerTurn = 32;
// Bytes already handled at the front of the buffer are cut off once they are this many and more
// than half of it; cutting after every message would make a flood quadratic.
constexpr qsizetype CompactBytes = 64 * 1024;
} // namespace

void Quorvhandler::OnDataArrival(const SocketStatePtr &Slot)
{
    // A receive running on the slot, or one waiting for its turn, takes what arrived; Qt does not
    // report the same data twice.
    if (!Slot->Alive || Slot->Receiving || Slot->Backlog || Slot->TurnQueued) {
        return;
    }
    // The turn runs after the socket's signal has returned: a host's handler may wait in a nested
    // loop where the peer's reset deletes the socket, and Qt goes on with the signal's sender.
    Slot->TurnQueued = true;
    QTimer::singleShot(0, this, [this, weak = std::weak_ptr<SocketState>(Slot)] {
        const SocketStatePtr slot = weak.lock();
        if (!slot) {
            return;
        }
        slot->TurnQueued = false;
        if (slot->Alive && !slot->Receiving && !slot->Backlog) {
            ReceiveTurn(slot);
        }
    });
}

void Quorvhandler::ReadArrived(const SocketStatePtr &Slot, bool Waited)
{
    // A socket the peer has closed is no longer open for reading; asking it would only warn.
    QTcpSocket *socket = Slot->Socket();
    if (!socket || socket->bytesAvailable() <= 0) {
        return;
    }
    const QByteArray arrived = socket->readAll();
    const QDateTime now = Clock::Now();
    Slot->ActiveMs = SteadyClock::NowMs();
    // Bytes that waited while this side handled earlier messages were no pause of the peer's.
    if (!Waited && Slot->LastIncommingMessageTime.isValid()
        && Slot->LastIncommingMessageTime.secsTo(now) > IncompleteMessageSeconds) {
        Slot->IncommingBuffer.clear();
        Slot->IncommingReadPos = 0;
    }
    if (Slot->IncommingBuffer.isEmpty()) {
        Slot->IncommingBuffer = arrived;
    } else {
        Slot->IncommingBuffer += arrived;
    }
    Slot->LastIncommingMessageTime = now;
}

void Quorvhandler::ReceiveTurn(const SocketStatePtr &Slot)
{
    const bool waited = Slot->Backlog;
    Slot->Backlog = false;
    if (!Slot->MoreInBuffer) {
        ReadArrived(Slot, waited);
    }
    Slot->Receiving = true;
    const bool ok = ProcessIncoming(Slot);
    if (!Slot->Alive) {
        return;
    }
    Slot->Receiving = false;
    if (!ok) {
        FreeSlot(Slot);
        return;
    }
    const QTcpSocket *socket = Slot->Socket();
    if (Slot->MoreInBuffer || (socket && socket->bytesAvailable() > 0)) {
        QueueBacklog(Slot);
    } else if (!socket) {
        // Nothing more can arrive: an unfinished message never completes.
        Slot->IncommingBuffer = QByteArray();
        Slot->IncommingReadPos = 0;
        DumpSlots();
    }
    WakeWaits();
}

void Quorvhandler::QueueBacklog(const SocketStatePtr &Slot)
{
    Slot->Backlog = true;
    m_backlog.append(Slot);
    if (!m_backlogTimer->isActive()) {
        m_backlogTimer->start();
    }
}

void Quorvhandler::RunBacklog()
{
    // Each waiting slot gets one batch, in turn; a slot that stops at its batch again queues
    // behind the others.
    const QList<std::weak_ptr<SocketState>> waiting = std::exchange(m_backlog, {});
    for (const std::weak_ptr<SocketState> &weak : waiting) {
        const SocketStatePtr slot = weak.lock();
        if (!slot || !slot->Alive || !slot->Backlog) {
            continue;
        }
        if (slot->Receiving) {
            // Its running receive queues it again when it ends.
            slot->Backlog = false;
            continue;
        }
        ReceiveTurn(slot);
    }
}

bool Quorvhandler::ProcessIncoming(const SocketStatePtr &Slot)
{
    // One pass per message, cutting at a read position, so a flood of small messages costs linear
    // time; data that arrives while a request is handled is appended and cut in turn.
    int handled = 0;
    while (Slot->Alive) {
        if (handled == MessagesPerTurn) {
            Slot->MoreInBuffer = true;
            return true;
        }
        auto pack = std::make_shared<MessagePack>();
        qsizetype next = 0;
        switch (PacketFraming::FromPacketString(Slot->IncommingBuffer, Slot->IncommingReadPos, *pack, next)) {
        case PacketFraming::ParseResult::Malformed:
            return false;
        case PacketFraming::ParseResult::Incomplete:
            if (const QTcpSocket *socket = Slot->Socket(); socket && socket->bytesAvailable() > 0) {
                ReadArrived(Slot, true);
                continue;
            }
            if (Slot->IncommingReadPos >= Slot->IncommingBuffer.size()) {
                Slot->IncommingBuffer.clear();
                Slot->PendingSinceMs = 0;
            } else {
                Slot->IncommingBuffer.remove(0, Slot->IncommingReadPos);
                // A remainder that began before this pass keeps its age: a peer that drips bytes
                // of a message that never completes is still idle.
                if (handled > 0 || Slot->PendingSinceMs == 0) {
                    Slot->PendingSinceMs = SteadyClock::NowMs();
                }
            }
            Slot->IncommingReadPos = 0;
            Slot->MoreInBuffer = false;
            return true;
        case PacketFraming::ParseResult::Complete:
            break;
        }
        ++handled;
        Slot->CompletedMessage = true;
        Slot->IncommingReadPos = next;
        if (next >= CompactBytes && next > Slot->IncommingBuffer.size() / 2) {
            Slot->IncommingBuffer.remove(0, next);
            Slot->IncommingReadPos = 0;
        }
        switch (pack->PacketDirection()) {
        case pdRequest:
        case pdSingle:
            if (!HandleRequest(Slot, pack)) {
                return false;
            }
            break;
        case pdAnswer:
            Slot->Answers.AddObject(pack);
            WakeWaits();
            break;
        default:
            break;
        }
    }
    return false;
}

bool Quorvhandler::HandleRequest(const SocketStatePtr &Slot, const MessagePackPtr &Pack)
{
    if (Pack->Header() != 0) {
        emit IncomingRequest(Slot->RemoteIP, Pack);
        if (!Slot->Alive) {
            return false;
        }
    }
    if (Pack->PacketDirection() != pdRequest) {
        return true;
    }
    Pack->SetPacketDirection(pdAnswer);
    // The request came from the peer: nobody here waits for this send, so its failure is kept.
    QString error;
    if (!SendPacket(Slot, *Pack, error)) {
        emit Failure(QStringLiteral("Ответ на запрос с кодом ") + QString::number(Pack->GetCode())
                     + QStringLiteral(" от '") + Slot->RemoteIP + QStringLiteral("' не отправлен: ") + error);
        return false;
    }
    return true;
}

bool Quorvhandler::SendPacket(const SocketStatePtr &Slot, const MessagePack &Pack, QString &ErrString)
{
    const QString sendFailed = QStringLiteral("Ошибка отправки сообщения на удалённый компьютер!");
    const qint32 state = StateNumber(*Slot);
    if (!Slot->Alive || IsClosedState(state)) {
        ErrString = QStringLiteral("Коннекция %1 закрыта (%2)!").arg(Slot->Code).arg(state);
        FreeSlot(Slot);
        return false;
    }
    const QByteArray bytes = PacketFraming::ToPacketString(Pack);
    Slot->Sending = true;
    if (Slot->Socket()->write(bytes) != bytes.size()) {
        ErrString = sendFailed;
        FreeSlot(Slot);
        return false;
    }
    // Usually the kernel takes it all at once and there is nothing to wait for. The flush can meet
    // the peer's reset, whose handlers drop the socket before it returns; the wait then ends at
    // once and the close fails the send.
    if (QTcpSocket *socket = Slot->Socket()) {
        socket->flush();
    }
    if (const QTcpSocket *socket = Slot->Socket(); socket && socket->bytesToWrite() == 0) {
        Slot->Sending = false;
    }
    WaitUntil([&] { return !Slot->Alive || !Slot->Sending; }, std::chrono::seconds(m_answerTimeout));
    if (!Slot->Alive || Slot->Sending || IsClosedState(StateNumber(*Slot))) {
        ErrString = sendFailed;
        FreeSlot(Slot);
        return false;
    }
    return true;
}
} // namespace Pelloxan
