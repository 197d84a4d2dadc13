// Which incoming connections the control takes: the per-address limits, its share of the
// process's descriptors, the pause at the descriptor limit, and the sweep that closes connections
// idle too long. A refused connection is closed at once; a limit is logged when it is reached and
// when it is left, an address when it reaches its own.
#include "listenersocket.h"
#include "peerlimits.h"
#include "slotdump.h"
#include "socketctl.h"
#include "socketstates.h"
#include "steadyclock.h"

#include <QTimer>

#include <unistd.h>

namespace Pelloxan
{
namespace
{
// How often the sweep looks: a connection goes at most this much later than its time-out.
constexpr int SweepMs = 1000;
} // namespace

void Quorvhandler::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_limits->SetClubAddresses(Addresses);
}

void Quorvhandler::StartAdmission()
{
    QString error;
    if (!m_limits->ReadDescriptorLimit(error)) {
        emit Failure(QStringLiteral("Предел открытых файлов не прочитан: ") + error);
    }
    m_sweepTimer->start(SweepMs);
}

void Quorvhandler::AcceptConnection(qintptr Descriptor, const QHostAddress &Peer)
{
    if (Peer.isNull()) {
        ::close(static_cast<int>(Descriptor));
        emit Failure(QStringLiteral("Порт %1: входящее соединение закрыто, адрес собеседника не прочитан")
                         .arg(m_listener->Port()));
        return;
    }
    const QString address = DottedAddress(Peer);
    const PeerLimit refusal = m_limits->Take(address);
    if (refusal != PeerLimit::None) {
        RefuseConnection(Descriptor, refusal, address);
        return;
    }
    const QString refused = QStringLiteral("Входящее соединение с '") + address + QStringLiteral("' не принято: ");
    QString error;
    SocketStatePtr slot = NewSlot(false, error);
    if (!slot) {
        // Connections that closed keep their numbers until a purge; a peer that connects and
        // closes fast enough would take them all between two dialogs.
        PurgeSlots();
        slot = NewSlot(false, error);
    }
    if (!slot) {
        m_limits->Release(address);
        ::close(static_cast<int>(Descriptor));
        emit Failure(refused + error);
        return;
    }
    slot->RemoteIP = address;
    slot->Counted = true;
    slot->AcceptedMs = SteadyClock::NowMs();
    // Taking the descriptor raises only state changes, whose handler wakes the waits and frees nothing.
    QTcpSocket *socket = slot->Socket();
    if (!socket->setSocketDescriptor(Descriptor)) {
        ::close(static_cast<int>(Descriptor));
        error = socket->errorString();
        FreeSlot(slot);
        emit Failure(refused + error);
        return;
    }
    slot->Busy = false;
    m_dump->Changed(*slot);
    DumpSlots();
}

void Quorvhandler::RefuseConnection(qintptr Descriptor, PeerLimit Which, const QString &Address)
{
    ::close(static_cast<int>(Descriptor));
    if (m_limits->NoteRefusal(Which, Address, SteadyClock::NowMs())) {
        emit Failure(LimitText(Which, Address, false));
    }
}

void Quorvhandler::OutOfDescriptors()
{
    if (m_limits->NoteRefusal(PeerLimit::Descriptors, QString(), SteadyClock::NowMs())) {
        emit Failure(LimitText(PeerLimit::Descriptors, QString(), false));
    }
}

void Quorvhandler::ReleasePeer(SocketState &Slot)
{
    if (Slot.Counted) {
        Slot.Counted = false;
        m_limits->Release(Slot.RemoteIP);
    }
}

void Quorvhandler::Sweep()
{
    const qint64 now = SteadyClock::NowMs();
    QList<SocketStatePtr> idle;
    for (const SocketStatePtr &slot : *m_slots) {
        // A held slot is in use; one without a socket holds nothing but its bookkeeping.
        if (slot->IsOutgoing || slot->IsHeld() || !slot->Socket()) {
            continue;
        }
        const qint64 since = slot->CompletedMessage ? slot->PendingSinceMs : slot->AcceptedMs;
        if (since != 0 && now - since >= PeerLimits::IdleMs) {
            idle.append(slot);
        }
    }
    for (const SocketStatePtr &slot : std::as_const(idle)) {
        FreeSlot(slot);
    }
    const QList<PeerLimit> left = m_limits->LeftLimits(now);
    for (const PeerLimit which : left) {
        emit Failure(LimitText(which, QString(), true));
    }
}

QString Quorvhandler::LimitText(PeerLimit Which, const QString &Address, bool Left) const
{
    const QString port = QStringLiteral("Порт %1: ").arg(m_listener->Port());
    switch (Which) {
    case PeerLimit::Address:
        return port
               + QStringLiteral(
                     "с адреса %1 открыто предельное число соединений (%2), новые соединения с него закрываются")
                     .arg(Address)
                     .arg(m_limits->AddressLimit(Address));
    case PeerLimit::Others:
        return port
               + (Left ? QStringLiteral("соединения с адресов не из списка компьютеров клуба снова принимаются")
                       : QStringLiteral("адреса не из списка компьютеров клуба открыли предельное число соединений "
                                        "(%1), новые соединения с них закрываются")
                             .arg(m_limits->OthersShare()));
    case PeerLimit::Share:
        return port
               + (Left ? QStringLiteral("входящих соединений снова меньше предела")
                       : QStringLiteral(
                             "открыто предельное число входящих соединений (%1), новые соединения закрываются")
                             .arg(m_limits->Share()));
    case PeerLimit::Descriptors:
        return port
               + (Left ? QStringLiteral("открытых файлов снова меньше предела процесса, соединения принимаются")
                       : QStringLiteral("исчерпан предел открытых файлов процесса, приём соединений приостановлен"));
    case PeerLimit::None:
    case PeerLimit::Count:
        break;
    }
    return {};
}
} // namespace Pelloxan
