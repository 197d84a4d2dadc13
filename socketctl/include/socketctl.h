#pragma once

// The socket messaging control Pelloxan: framed request/answer/single messages over TCP. A host
// makes one Quorvhandler, starts it on a port, sends MessagePacks with DialogMessage and answers
// the requests that IncomingRequest brings.

#include "pelloxan_export.h"

#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class PortAdmission;
class QSettings;
class QTcpSocket;
class QTimer;

namespace Pelloxan
{
class RequestCounter;
class SlotDump;
class SocketStates;
struct SocketState;
using SocketStatePtr = std::shared_ptr<SocketState>;

// What kind of message a pack is.
enum enPacketDirection : qint32
{
    pdRequest = 1, // the receiving control sends it back as the answer
    pdAnswer = 2,  // the answer to a request; carries the request's code
    pdSingle = 3   // expects no answer
};

// One protocol message: a direction, a one-byte message code, a text, and the request number
// that ties an answer to its request. Packs are shared: MessagePackPtr.
class PELLOXAN_EXPORT MessagePack final
{
public:
    // Any number that arrived on the wire is kept, so a direction may lie outside the enumeration.
    enPacketDirection PacketDirection() const
    {
        return m_direction;
    }

    void SetPacketDirection(enPacketDirection Direction)
    {
        m_direction = Direction;
    }

    quint8 Header() const
    {
        return m_header;
    }

    void SetHeader(quint8 Header)
    {
        m_header = Header;
    }

    QString Message() const
    {
        return m_message;
    }

    void SetMessage(const QString &Message)
    {
        m_message = Message;
    }

    // The request number; the control's own bookkeeping.
    qint32 GetCode() const
    {
        return m_code;
    }

    void SetCode(qint32 Code)
    {
        m_code = Code;
    }

    // When the pack entered an answer store; the control's own bookkeeping.
    QDateTime GetTime() const
    {
        return m_time;
    }

    void SetTime(const QDateTime &Time)
    {
        m_time = Time;
    }

    bool operator==(const MessagePack &other) const = default;

private:
    qint32 m_code = 0;
    enPacketDirection m_direction = static_cast<enPacketDirection>(0);
    quint8 m_header = 0;
    QString m_message;
    QDateTime m_time;
};

using MessagePackPtr = std::shared_ptr<MessagePack>;

// The socket messaging control: a TCP listener and a pool of connections over which it sends
// framed requests to a computer and waits for the answer (DialogMessage), and raises
// IncomingRequest for every request or single message that arrives, answering a request with the
// pack as the handler leaves it. Everything runs on the thread that owns the control; its waits
// are nested event loops, so other events (and further dialogs) run inside a dialog. Do not
// destroy the control while one of its dialogs or handlers is running.
class PELLOXAN_EXPORT Quorvhandler : public QObject
{
    Q_OBJECT

public:
    static constexpr qint32 DefaultConnectTimeout = 5;
    static constexpr qint32 DefaultAnswerTimeout = 20;
    // Waits nest, and one that is done still returns only after those inside it. Past this depth
    // a dialog fails at once and no wait nests deeper, so a flood of requests whose handlers ask
    // back cannot run the stack out.
    static constexpr qint32 MaxNestedWaits = 64;

    explicit Quorvhandler(QObject *parent = nullptr);
    ~Quorvhandler() override;

    // Stored for hosts; no effect inside the control.
    bool Logging() const;
    void SetLogging(bool Logging);

    // The local IPv4 address: the bind address when one is set, else the machine's first
    // non-loopback IPv4 address ("127.0.0.1" when it has none).
    QString GetLocalIP() const;

    // Closes everything, then listens on iListenerPort (0: any free port). On failure ErrString
    // is "Не удалось запустить прослушиватель: " and the reason, and nothing listens.
    bool Start(qint32 iListenerPort, QString &ErrString);
    // Stops listening and closes every connection; a connection that a dialog still uses is given
    // up to AnswerTimeout seconds to become free.
    void Stop_();

    // Sends RequestM to ComputerIP (dotted) at the port this control listens on and returns the
    // answer, or null with the reason in ErrString. A pdSingle pack is answered at once by the
    // control itself with an empty answer of the same code and header.
    MessagePackPtr DialogMessage(const QString &ComputerIP, const MessagePackPtr &RequestM, QString &ErrString);

    // Seconds; also read and written by ReadProperties/WriteProperties.
    qint32 ConnectTimeout() const;
    void SetConnectTimeout(qint32 Seconds);
    qint32 AnswerTimeout() const;
    void SetAnswerTimeout(qint32 Seconds);

    // The listening port, 0 when stopped.
    qint32 GetListenerPort() const;

    // A new pack with the next request number: pdSingle when DontWaitForAnswer, else pdRequest.
    MessagePackPtr MakeMessagePacketFromParts(quint8 H, const QString &M = QString(), bool DontWaitForAnswer = false);

    // The address the listener and outgoing connections bind to; all IPv4 addresses by default.
    // Takes effect at the next Start and the next connection.
    QHostAddress BindAddress() const;
    void SetBindAddress(const QHostAddress &Address);

    // The persisted properties "ConnectTimeout" and "AnswerTimeout"; a value equal to its default
    // is not written, a missing one reads as its default.
    void ReadProperties(const QSettings &Settings);
    void WriteProperties(QSettings &Settings) const;

    // The number of connection slots, for hosts that watch the pool.
    qsizetype SlotCount() const;

    // The club computers' dotted addresses: they may hold more incoming connections than others.
    void SetClubAddresses(const QSet<QString> &Addresses);

signals:
    // A request or single message with a header other than 0 arrived from CompIP. For a request
    // the pack as the handler leaves it is sent back as the answer; a handler that turns it into
    // pdSingle sends no answer.
    void IncomingRequest(const QString &CompIP, const MessagePackPtr &Mes);
    // Declared for hosts; never emitted.
    void LogEvent(const QString &logString, qint32 EventType, qint32 ConnectionID);
    // A failure that no caller receives, in Russian, for the host to log: an incoming connection not
    // taken, the answer to an incoming request not sent, a reused connection that failed its probe,
    // the slot dump not written.
    void Failure(const QString &Description);
    // A line about the admission of incoming connections, in Russian, for the host's main log: a
    // limit reached (once, however many connections it refuses meanwhile) or left, the listener
    // opened anew after it failed and why. The handler sets Written once the line is written; one
    // that is not is given again at the next occasion. The control gives up a descriptor it holds
    // in reserve while the handler runs, so that the line can be written when the process has no
    // other left.
    void Notice(const QString &Text, bool IsError, bool &Written);

protected:
    // The time-outs of the control's waits.
    void timerEvent(QTimerEvent *event) override;

private:
    struct Waiter;

    // Connection slots.
    SocketStatePtr NewSlot(bool IsOutgoing, QString &ErrString);
    void FreeSlot(const SocketStatePtr &Slot);
    void PurgeSlots();
    // The dump mirrors the slot table: a change asks for it, and it is written once per turn of the
    // event loop, however many changes the turn made.
    void DumpSlots();
    void WriteDump();
    void AttachSocket(const SocketStatePtr &Slot, QTcpSocket *Socket);
    // The peer closed: what it sent before is kept for the receive path, the socket goes.
    void SocketClosed(const SocketStatePtr &Slot);

    // Listener and receiving.
    bool StartListener(quint16 Port, QString &ErrString);
    // An incoming connection the limits let in; false when no slot took it.
    bool AcceptConnection(int Descriptor, const QString &Address);

    // Limits of incoming connections and idle time-outs.
    std::unique_ptr<PortAdmission> MakeAdmission();
    // Frees the idle incoming slot of Address that was active least recently, for another
    // computer's connection; false when it has none.
    bool CloseLeastActive(const QString &Address);
    // A counted connection's socket has gone.
    void ReleasePeer(SocketState &Slot);
    // Closes the accepted connections that are idle too long.
    void Sweep(qint64 NowMs);
    void OnDataArrival(const SocketStatePtr &Slot);
    // Handles at most one batch of the slot's messages; what is left waits for the next turn of
    // the event loop, so that one busy connection cannot hold the others.
    void ReceiveTurn(const SocketStatePtr &Slot);
    void RunBacklog();
    void QueueBacklog(const SocketStatePtr &Slot);
    // Appends what the socket holds to the slot's buffer; a remainder older than the pause that
    // ends a message is dropped first unless the slot was still busy with earlier messages.
    void ReadArrived(const SocketStatePtr &Slot, bool Waited);
    bool ProcessIncoming(const SocketStatePtr &Slot);
    bool HandleRequest(const SocketStatePtr &Slot, const MessagePackPtr &Pack);
    bool SendPacket(const SocketStatePtr &Slot, const MessagePack &Pack, QString &ErrString);

    // Request/answer dialog.
    SocketStatePtr GetConnectedSlot(const QString &IP, QString &ErrString);
    SocketStatePtr FindOutgoingSlot(const QString &IP);
    bool ConnectSlot(const SocketStatePtr &Slot, const QString &IP, quint16 Port, QString &ErrString);
    MessagePackPtr SendAndReceive(const SocketStatePtr &Slot, const MessagePackPtr &Pack, QString &ErrString);
    bool WaitForAnswer(const SocketStatePtr &Slot, qint32 Code, MessagePackPtr &Answer, QString &ErrString);

    // Runs a nested event loop until Done holds or Timeout passes; returns Done(). At the depth
    // bound it does not wait.
    bool WaitUntil(const std::function<bool()> &Done, std::chrono::milliseconds Timeout);
    // Lets every running wait look at its condition again.
    void WakeWaits();

    std::unique_ptr<SocketStates> m_slots;
    std::unique_ptr<PortAdmission> m_admission;
    std::unique_ptr<RequestCounter> m_requests;
    std::unique_ptr<SlotDump> m_dump;
    std::unique_ptr<QTimer> m_dumpTimer;
    std::unique_ptr<QTimer> m_backlogTimer;
    // Slots whose receive stopped at its batch, in the order they stopped.
    QList<std::weak_ptr<SocketState>> m_backlog;
    QList<Waiter *> m_waiters;
    QHostAddress m_bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    qint32 m_connectTimeout = DefaultConnectTimeout;
    qint32 m_answerTimeout = DefaultAnswerTimeout;
    bool m_logging = false;
};
} // namespace Pelloxan
