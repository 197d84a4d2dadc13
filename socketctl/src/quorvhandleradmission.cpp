// Which incoming connections the control takes (PortAdmission with the control's figures and
// texts), and the sweep that closes connections idle too long.
#include "peerlimits.h"
#include "portadmission.h"
#include "slotdump.h"
#include "socketctl.h"
#include "socketstates.h"
#include "steadyclock.h"

#include <unistd.h>

namespace Pelloxan
{
std::unique_ptr<PortAdmission> Quorvhandler::MakeAdmission()
{
    return std::make_unique<PortAdmission>(
        PeerLimits::Figures(),
        PeerLimits::Texts(),
        AdmissionHandlers{
            .Connection = [this](int Descriptor,
                                 const QString &Address) { return AcceptConnection(Descriptor, Address); },
            .CloseLeastActive = [this](const QString &Address) { return CloseLeastActive(Address); },
            .Sweep = [this](qint64 NowMs) { Sweep(NowMs); },
            .Write =
                [this](const QString &Text, bool IsError) {
                    bool written = false;
                    emit Notice(Text, IsError, written);
                    return written;
                },
            .Trace = {},
            // Every club computer is answered here, whether it may use the internet or not.
            .CountsAsClub = {},
        });
}

void Quorvhandler::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_admission->SetClubAddresses(Addresses);
}

bool Quorvhandler::AcceptConnection(int Descriptor, const QString &Address)
{
    const QString refused = QStringLiteral("Входящее соединение с '") + Address + QStringLiteral("' не принято: ");
    QString error;
    SocketStatePtr slot = NewSlot(false, error);
    if (!slot) {
        // Connections that closed keep their numbers until a purge; a peer that connects and
        // closes fast enough would take them all between two dialogs.
        PurgeSlots();
        slot = NewSlot(false, error);
    }
    if (!slot) {
        ::close(Descriptor);
        emit Failure(refused + error);
        return false;
    }
    slot->RemoteIP = Address;
    slot->Counted = true;
    slot->AcceptedMs = SteadyClock::NowMs();
    slot->ActiveMs = slot->AcceptedMs;
    // Taking the descriptor raises only state changes, whose handler wakes the waits and frees nothing.
    QTcpSocket *socket = slot->Socket();
    if (!socket->setSocketDescriptor(Descriptor)) {
        ::close(Descriptor);
        error = socket->errorString();
        FreeSlot(slot);
        emit Failure(refused + error);
        return true;
    }
    slot->Busy = false;
    m_dump->Changed(*slot);
    DumpSlots();
    return true;
}

bool Quorvhandler::CloseLeastActive(const QString &Address)
{
    // A held slot is in use by a dialog or the receive path.
    SocketStatePtr oldest;
    for (const SocketStatePtr &slot : *m_slots) {
        if (slot->Counted && slot->RemoteIP == Address && !slot->IsHeld()
            && (!oldest || slot->ActiveMs < oldest->ActiveMs)) {
            oldest = slot;
        }
    }
    if (!oldest) {
        return false;
    }
    FreeSlot(oldest);
    return true;
}

void Quorvhandler::ReleasePeer(SocketState &Slot)
{
    if (Slot.Counted) {
        Slot.Counted = false;
        m_admission->Release(Slot.RemoteIP);
    }
}

void Quorvhandler::Sweep(qint64 NowMs)
{
    QList<SocketStatePtr> idle;
    for (const SocketStatePtr &slot : *m_slots) {
        // A held slot is in use; one without a socket holds nothing but its bookkeeping.
        if (slot->IsOutgoing || slot->IsHeld() || !slot->Socket()) {
            continue;
        }
        const qint64 since = slot->CompletedMessage ? slot->PendingSinceMs : slot->AcceptedMs;
        if (since != 0 && NowMs - since >= PeerLimits::IdleMs) {
            idle.append(slot);
        }
    }
    for (const SocketStatePtr &slot : std::as_const(idle)) {
        FreeSlot(slot);
    }
}
} // namespace Pelloxan
