#include "portadmission.h"
#include "requestcounter.h"
#include "slotdump.h"
#include "socketctl.h"
#include "socketstates.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkInterface>
#include <QSettings>
#include <QTimer>
#include <QTimerEvent>

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
} // namespace

struct Quorvhandler::Waiter
{
    const std::function<bool()> &Done;
    QEventLoop &Loop;
    // The time-out's timer; 0 once it has fired.
    int TimerId = 0;
    // Told to quit. A wait nested inside this one returns first; telling this loop again at every
    // socket event meanwhile would wake the dispatcher once per waiter and event for nothing.
    bool Quitting = false;
};

Quorvhandler::Quorvhandler(QObject *parent)
    : QObject(parent)
    , m_slots(std::make_unique<SocketStates>())
    , m_admission(MakeAdmission())
    , m_requests(std::make_unique<RequestCounter>())
    , m_dump(std::make_unique<SlotDump>())
    , m_dumpTimer(std::make_unique<QTimer>())
    , m_backlogTimer(std::make_unique<QTimer>())
{
    // Zero-interval timers fire once the events that are waiting have been handled: one turn.
    m_dumpTimer->setSingleShot(true);
    m_dumpTimer->setInterval(0);
    connect(m_dumpTimer.get(), &QTimer::timeout, this, &Quorvhandler::WriteDump);
    m_backlogTimer->setSingleShot(true);
    m_backlogTimer->setInterval(0);
    connect(m_backlogTimer.get(), &QTimer::timeout, this, &Quorvhandler::RunBacklog);
}

Quorvhandler::~Quorvhandler()
{
    // No waiting here: the host must not destroy the control while one of its dialogs runs.
    m_admission->Stop();
    m_backlog.clear();
    for (const SocketStatePtr &slot : m_slots->Snapshot()) {
        FreeSlot(slot);
    }
    if (m_dumpTimer->isActive()) {
        WriteDump();
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
    m_admission->Stop();
    // A dialog that holds a slot gets a bounded time to finish; after that the slot is freed under
    // it and the dialog fails when its wait returns.
    QElapsedTimer elapsed;
    elapsed.start();
    const std::chrono::milliseconds limit = std::chrono::seconds(qMax(m_answerTimeout, 0));
    for (const SocketStatePtr &slot : m_slots->Snapshot()) {
        const std::chrono::milliseconds spent(elapsed.elapsed());
        WaitUntil([&] { return !slot->Alive || !slot->IsHeld(); },
                  std::max(limit - spent, std::chrono::milliseconds::zero()));
        FreeSlot(slot);
    }
    m_backlog.clear();
    // A stopped control leaves its dump written, not waiting for the next turn.
    if (m_dumpTimer->isActive()) {
        m_dumpTimer->stop();
        WriteDump();
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
    return m_admission->IsListening() ? m_admission->Port() : 0;
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
    QString error;
    if (!m_admission->Start(m_bindAddress, Port, error)) {
        ErrString = QStringLiteral("порт %1: %2").arg(Port).arg(error);
        return false;
    }
    return true;
}

bool Quorvhandler::WaitUntil(const std::function<bool()> &Done, std::chrono::milliseconds Timeout)
{
    if (Done()) {
        return true;
    }
    if (m_waiters.size() >= MaxNestedWaits) {
        return false;
    }
    QEventLoop loop;
    // A timer of the control rather than a QTimer: a dialog waits twice, and each wait would make
    // and destroy one more object.
    Waiter waiter{Done,
                  loop,
                  startTimer(std::clamp(Timeout, std::chrono::milliseconds::zero(), std::chrono::milliseconds(INT_MAX)),
                             Qt::PreciseTimer)};
    m_waiters.append(&waiter);
    loop.exec();
    m_waiters.removeOne(&waiter);
    if (waiter.TimerId != 0) {
        killTimer(waiter.TimerId);
    }
    return Done();
}

void Quorvhandler::timerEvent(QTimerEvent *event)
{
    for (Waiter *waiter : std::as_const(m_waiters)) {
        if (waiter->TimerId == event->timerId()) {
            killTimer(waiter->TimerId);
            waiter->TimerId = 0;
            waiter->Quitting = true;
            waiter->Loop.quit();
            return;
        }
    }
    QObject::timerEvent(event);
}

void Quorvhandler::WakeWaits()
{
    for (Waiter *waiter : std::as_const(m_waiters)) {
        if (!waiter->Quitting && waiter->Done()) {
            waiter->Quitting = true;
            waiter->Loop.quit();
        }
    }
}
} // namespace Pelloxan
