// The request/answer dialog: finding or opening a connection, probing a reused one, sending and
// waiting for the answer.
#include "clock.h"
#include "portadmission.h"
#include "slotdump.h"
#include "socketctl.h"
#include "socketstates.h"

namespace Pelloxan
{
namespace
{
const QString NotListening = QStringLiteral("Сетевая библиотека остановлена!");
const QString NoAnswer = QStringLiteral("Не получен ответ на запрос от удалённого компьютера!");
const QString WrongAnswer = QStringLiteral("От удалённого компьютера получен ответ неожиданного типа!");
const QString TooDeep = QStringLiteral("Слишком много незавершённых диалогов с компьютерами: запрос не отправлен!");

// Qt gives no reason when it refuses to start a connection, for one from an IPv4 address to an
// IPv6 one.
QString OpenFailure(const QString &IP, const QTcpSocket *Socket)
{
    const QString reason = !Socket || Socket->error() == QAbstractSocket::UnknownSocketError
                               ? QStringLiteral("соединение с этим адресом невозможно")
                               : Socket->errorString();
    return QStringLiteral("Ошибка открытия коннекции с '") + IP + QStringLiteral("': ") + reason;
}
} // namespace

MessagePackPtr
Quorvhandler::DialogMessage(const QString &ComputerIP, const MessagePackPtr &RequestM, QString &ErrString)
{
    if (!m_admission->IsListening()) {
        ErrString = NotListening;
        return nullptr;
    }
    if (!RequestM) {
        ErrString = QStringLiteral("Ошибка отправки сообщения на удалённый компьютер!");
        return nullptr;
    }
    if (m_waiters.size() >= MaxNestedWaits) {
        ErrString = TooDeep;
        return nullptr;
    }
    // ErrString stays as the caller passed it when the dialog succeeds.
    QString error;
    const SocketStatePtr slot = GetConnectedSlot(ComputerIP, error);
    MessagePackPtr answer = slot ? SendAndReceive(slot, RequestM, error) : nullptr;
    if (!answer) {
        ErrString = error;
        return nullptr;
    }
    // The connection stays open for later dialogs to the same computer.
    slot->Busy = false;
    WakeWaits();
    return answer;
}

SocketStatePtr Quorvhandler::GetConnectedSlot(const QString &IP, QString &ErrString)
{
    if (SocketStatePtr slot = FindOutgoingSlot(IP)) {
        return slot;
    }
    // The probes waited and told the host of failures: the control may have been stopped meanwhile,
    // and a connection opened now would outlive the stop.
    if (!m_admission->IsListening()) {
        ErrString = NotListening;
        return nullptr;
    }
    const SocketStatePtr slot = NewSlot(true, ErrString);
    if (!slot || !ConnectSlot(slot, IP, static_cast<quint16>(GetListenerPort()), ErrString)) {
        return nullptr;
    }
    return slot;
}

SocketStatePtr Quorvhandler::FindOutgoingSlot(const QString &IP)
{
    PurgeSlots();
    for (const SocketStatePtr &slot : m_slots->Snapshot()) {
        if (!slot->Alive || !slot->IsOutgoing || slot->IsHeld() || slot->RemoteIP != IP
            || StateNumber(*slot) != StateConnected) {
            continue;
        }
        slot->Busy = true;
        // The peer's control answers the probe itself: a connection that died silently shows here
        // instead of failing the real request.
        const MessagePackPtr probe = MakeMessagePacketFromParts(0);
        QString error;
        if (SendAndReceive(slot, probe, error)) {
            return slot;
        }
        // The dialog goes on over a new connection; why the old one was given up is kept.
        emit Failure(QStringLiteral("Коннекция ") + QString::number(slot->Code) + QStringLiteral(" с '") + IP
                     + QStringLiteral("' не ответила на проверку: ") + error);
    }
    return nullptr;
}

bool Quorvhandler::ConnectSlot(const SocketStatePtr &Slot, const QString &IP, quint16 Port, QString &ErrString)
{
    Slot->RemoteIP = IP;
    m_dump->Changed(*Slot);
    // Binding and connecting raise the socket's signals: it is asked for again after each.
    if (IsSpecificAddress(m_bindAddress) && !Slot->Socket()->bind(m_bindAddress, 0)) {
        ErrString = OpenFailure(IP, Slot->Socket());
        FreeSlot(Slot);
        return false;
    }
    Slot->Socket()->connectToHost(IP, Port);
    // A refusal is the peer's answer, reported like a time-out; anything else that fails before
    // connecting even starts is a fault of the request.
    const QTcpSocket *socket = Slot->Socket();
    if (!socket
        || (socket->state() == QAbstractSocket::UnconnectedState
            && socket->error() != QAbstractSocket::ConnectionRefusedError)) {
        ErrString = OpenFailure(IP, socket);
        FreeSlot(Slot);
        return false;
    }
    WaitUntil([&] { return !Slot->Alive || StateNumber(*Slot) != StateConnecting; },
              std::chrono::seconds(m_connectTimeout));
    if (!Slot->Alive || StateNumber(*Slot) != StateConnected) {
        ErrString = QStringLiteral("Ошибка соединения с удалённым компьютером '") + IP + QLatin1Char(':')
                    + QString::number(Port) + QStringLiteral("' !");
        FreeSlot(Slot);
        return false;
    }
    Slot->RemoteIP = DottedAddress(Slot->Socket()->peerAddress());
    m_dump->Changed(*Slot);
    DumpSlots();
    return true;
}

MessagePackPtr Quorvhandler::SendAndReceive(const SocketStatePtr &Slot, const MessagePackPtr &Pack, QString &ErrString)
{
    if (!SendPacket(Slot, *Pack, ErrString)) {
        return nullptr;
    }
    if (Pack->PacketDirection() == pdSingle) {
        auto answer = std::make_shared<MessagePack>();
        answer->SetCode(Pack->GetCode());
        answer->SetHeader(Pack->Header());
        answer->SetTime(Clock::Now());
        answer->SetPacketDirection(pdAnswer);
        return answer;
    }
    MessagePackPtr answer;
    if (!WaitForAnswer(Slot, Pack->GetCode(), answer, ErrString)) {
        return nullptr;
    }
    if (answer->Header() != Pack->Header()) {
        ErrString = WrongAnswer;
        FreeSlot(Slot);
        return nullptr;
    }
    return answer;
}

bool Quorvhandler::WaitForAnswer(const SocketStatePtr &Slot, qint32 Code, MessagePackPtr &Answer, QString &ErrString)
{
    if (!Slot->Alive || IsClosedState(StateNumber(*Slot))) {
        ErrString = QStringLiteral("Коннекция %1 закрыта!").arg(Slot->Code);
        FreeSlot(Slot);
        return false;
    }
    // A closed connection ends the wait only once what arrived before the close has been handled.
    WaitUntil(
        [&] {
            return !Slot->Alive || Slot->Answers.Item(Code) || (IsClosedState(StateNumber(*Slot)) && !Slot->Backlog);
        },
        std::chrono::seconds(m_answerTimeout));
    Answer = Slot->Alive ? Slot->Answers.PopMessagePack(Code) : nullptr;
    if (Answer) {
        return true;
    }
    ErrString = NoAnswer;
    FreeSlot(Slot);
    return false;
}
} // namespace Pelloxan
