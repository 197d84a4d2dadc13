#include "clock.h"
#include "listenersocket.h"
#include "packetframing.h"
#include "requestcounter.h"
#include "socketctl.h"
#include "socketstates.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkInterface>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <limits>

namespace Pelloxan
{
namespace
{
const QString ConnectTimeoutKey = QStringLiteral("ConnectTimeout");
const QString AnswerTimeoutKey = QStringLiteral("AnswerTimeout");

// A remainder older than this is not the start of a message any more: it is dropped, which puts
// the stream back in step.
constexpr qint64 IncompleteMessageSeconds = 5;
} // namespace

struct Quorvhandler::Waiter
{
    const std::function<bool()> &Done;
    QEventLoop &Loop;
};

Quorvhandler::Quorvhandler(QObject *parent)
    : QObject(parent)
    , m_slots(std::make_unique<SocketStates>())
    , m_listener(std::make_unique<ListenerSocket>([this](qintptr descriptor) { AcceptConnection(descriptor); }))
    , m_requests(std::make_unique<RequestCounter>())
{
    connect(m_listener.get(), &QTcpServer::acceptError, this, &Quorvhandler::RestartListener);
}

Quorvhandler::~Quorvhandler()
{
    // No waiting here: the host must not destroy the control while one of its dialogs runs.
    m_listener->close();
    for (const SocketStatePtr &slot : m_slots->Snapshot()) {
        FreeSlot(slot);
    }
}

bool Quorvhandler::Logging() const
{
    return m_logging;
}

void Quorvhandler::SetLogging(bool Logging)
{
    m_logging = Logging;
}

QString Quorvhandler::GetLocalIP() const
{
    if (IsSpecificAddress(m_bindAddress)) {
        return m_bindAddress.toString();
    }
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
            return address.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

bool Quorvhandler::Start(qint32 iListenerPort, QString &ErrString)
{
    Stop_();
    QString reason;
    if (iListenerPort < 0 || iListenerPort > std::numeric_limits<quint16>::max()) {
        reason = QStringLiteral("недопустимый номер порта %1").arg(iListenerPort);
    } else if (StartListener(static_cast<quint16>(iListenerPort), reason)) {
        return true;
    }
    ErrString = QStringLiteral("Не удалось запустить прослушиватель: ") + reason;
    Stop_();
    return false;
}

void Quorvhandler::Stop_()
{
    m_listener->close();
    // A dialog that holds a slot gets a bounded time to finish; after that the slot is freed under
    // it and the dialog fails when its wait returns.
    QElapsedTimer elapsed;
    elapsed.start();
    const std::chrono::milliseconds limit = std::chrono::seconds(qMax(m_answerTimeout, 0));
    for (const SocketStatePtr &slot : m_slots->Snapshot()) {
        const std::chrono::milliseconds spent(elapsed.elapsed());
        WaitUntil([&] { return !slot->Alive || !slot->Busy; },
                  std::max(limit - spent, std::chrono::milliseconds::zero()));
        FreeSlot(slot);
    }
}

qint32 Quorvhandler::ConnectTimeout() const
{
    return m_connectTimeout;
}

void Quorvhandler::SetConnectTimeout(qint32 Seconds)
{
    m_connectTimeout = Seconds;
}

qint32 Quorvhandler::AnswerTimeout() const
{
    return m_answerTimeout;
}

void Quorvhandler::SetAnswerTimeout(qint32 Seconds)
{
    m_answerTimeout = Seconds;
}

qint32 Quorvhandler::GetListenerPort() const
{
    return m_listener->isListening() ? m_listener->serverPort() : 0;
}

MessagePackPtr Quorvhandler::MakeMessagePacketFromParts(quint8 H, const QString &M, bool DontWaitForAnswer)
{
    auto pack = std::make_shared<MessagePack>();
    pack->SetPacketDirection(DontWaitForAnswer ? pdSingle : pdRequest);
    pack->SetHeader(H);
    pack->SetMessage(M);
    pack->SetCode(m_requests->Next());
    return pack;
}

QHostAddress Quorvhandler::BindAddress() const
{
    return m_bindAddress;
}

void Quorvhandler::SetBindAddress(const QHostAddress &Address)
{
    m_bindAddress = Address;
}

void Quorvhandler::ReadProperties(const QSettings &Settings)
{
    m_connectTimeout = Settings.value(ConnectTimeoutKey, DefaultConnectTimeout).toInt();
    m_answerTimeout = Settings.value(AnswerTimeoutKey, DefaultAnswerTimeout).toInt();
}

void Quorvhandler::WriteProperties(QSettings &Settings) const
{
    const auto write = [&Settings](const QString &key, qint32 value, qint32 defaultValue) {
        if (value == defaultValue) {
            Settings.remove(key);
        } else {
            Settings.setValue(key, value);
        }
    };
    write(ConnectTimeoutKey, m_connectTimeout, DefaultConnectTimeout);
    write(AnswerTimeoutKey, m_answerTimeout, DefaultAnswerTimeout);
}

qsizetype Quorvhandler::SlotCount() const
{
    return m_slots->Count();
}

bool Quorvhandler::StartListener(quint16 Port, QString &ErrString)
{
    m_listener->close();
    if (!m_listener->listen(m_bindAddress, Port)) {
        ErrString = m_listener->errorString();
        return false;
    }
    return true;
}

void Quorvhandler::RestartListener()
{
    const quint16 port = m_listener->serverPort();
    QString error;
    if (!StartListener(port, error)) {
        emit Failure(QStringLiteral("Ошибка перезапуска прослушивателя на порту ") + QString::number(port)
                     + QStringLiteral(": ") + error);
    }
}

void Quorvhandler::OnDataArrival(const SocketStatePtr &Slot)
{
    // Qt does not report data again while its report is being handled; the running receive takes
    // what arrives meanwhile before it finishes.
    if (!Slot->Alive || Slot->Receiving) {
        return;
    }
    const QByteArray arrived = Slot->Socket->readAll();
    if (arrived.isEmpty()) {
        return;
    }
    const QDateTime now = Clock::Now();
    if (Slot->LastIncommingMessageTime.isValid()
        && Slot->LastIncommingMessageTime.secsTo(now) > IncompleteMessageSeconds) {
        Slot->IncommingBuffer.clear();
        Slot->IncommingReadPos = 0;
    }
    Slot->IncommingBuffer += arrived;
    Slot->LastIncommingMessageTime = now;

    // A dialog may hold this slot: it keeps holding it after the receive.
    const bool wasBusy = Slot->Busy;
    Slot->Busy = true;
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
    Slot->Busy = wasBusy;
    WakeWaits();
}

bool Quorvhandler::ProcessIncoming(const SocketStatePtr &Slot)
{
    // One pass per message, cutting at a read position, so a flood of small messages costs linear
    // time; data that arrives while a request is handled is appended and cut in turn.
    while (Slot->Alive) {
        auto pack = std::make_shared<MessagePack>();
        qsizetype next = 0;
        switch (PacketFraming::FromPacketString(Slot->IncommingBuffer, Slot->IncommingReadPos, *pack, next)) {
        case PacketFraming::ParseResult::Malformed:
            return false;
        case PacketFraming::ParseResult::Incomplete:
            Slot->IncommingBuffer.remove(0, Slot->IncommingReadPos);
            Slot->IncommingReadPos = 0;
            return true;
        case PacketFraming::ParseResult::Complete:
            break;
        }
        Slot->IncommingReadPos = next;
        switch (pack->PacketDirection()) {
        case pdRequest:
        case pdSingle:
            if (!HandleRequest(Slot, pack)) {
                return false;
            }
            AppendArrivedMeanwhile(Slot);
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

void Quorvhandler::AppendArrivedMeanwhile(const SocketStatePtr &Slot)
{
    if (!Slot->Alive) {
        return;
    }
    const QByteArray arrived = Slot->Socket->readAll();
    if (!arrived.isEmpty()) {
        Slot->IncommingBuffer += arrived;
        Slot->LastIncommingMessageTime = Clock::Now();
    }
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
    if (Slot->Socket->write(bytes) != bytes.size()) {
        ErrString = sendFailed;
        FreeSlot(Slot);
        return false;
    }
    // Usually the kernel takes it all at once and there is nothing to wait for.
    Slot->Socket->flush();
    if (Slot->Socket->bytesToWrite() == 0) {
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

bool Quorvhandler::WaitUntil(const std::function<bool()> &Done, std::chrono::milliseconds Timeout)
{
    if (Done()) {
        return true;
    }
    QEventLoop loop;
    Waiter waiter{Done, loop};
    m_waiters.append(&waiter);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(std::clamp(Timeout, std::chrono::milliseconds::zero(), std::chrono::milliseconds(INT_MAX)));
    loop.exec();
    m_waiters.removeOne(&waiter);
    return Done();
}

void Quorvhandler::WakeWaits()
{
    for (Waiter *waiter : std::as_const(m_waiters)) {
        if (waiter->Done()) {
            waiter->Loop.quit();
        }
    }
}
} // namespace Pelloxan
