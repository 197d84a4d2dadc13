#pragma once

#include "rawconnection.h"
#include "socketctl.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QTcpServer>

#include <functional>
#include <memory>

// A simulated client computer for tests of the socket control and of the server. It listens on
// its own address 127.0.0.N at the server's port and connects from that address, as the club's
// client computers do, answers the server's requests from a script per header, records every
// message it receives, and sends requests and single messages of its own.
//
// Two modes:
// - Control: a real Quorvhandler does the listening and answering (header-0 probes included, which
//   it answers by itself without recording them); scripts Reply, WrongHeader and Silence.
// - Raw: plain sockets and the wire framing; every script, header-0 probes answered and recorded,
//   and RawConnection for malformed bytes.
// Unscripted requests are answered with their own text unchanged.
class ClientSim : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultWaitMs = 5000;
    // How long a request of its own waits for the server's answer.
    static constexpr int AnswerWaitMs = 30000;

    enum class Mode
    {
        Control,
        Raw
    };

    // What the computer does with a request of a given header.
    struct Answer
    {
        enum class Kind
        {
            Reply,       // answer with Text
            Silence,     // never answer; the connection stays open
            Late,        // answer with Text DelayMs after the request (raw mode)
            WrongHeader, // answer with Text under the header OtherHeader
            Close,       // close the connection instead of answering (raw mode)
            Bytes        // write what MakeBytes returns for the request (raw mode)
        };
        Kind What = Kind::Reply;
        QString Text;
        int DelayMs = 0;
        quint8 OtherHeader = 0;
        std::function<QByteArray(const Pelloxan::MessagePack &Request)> MakeBytes;
        // Raw mode: bytes written at once, before the answer above (an unrelated or duplicate answer).
        std::function<QByteArray(const Pelloxan::MessagePack &Request)> Prefix;
    };

    static Answer Reply(const QString &Text);
    static Answer Silence();
    static Answer Late(const QString &Text, int DelayMs);
    static Answer WrongHeader(quint8 OtherHeader, const QString &Text = QString());
    static Answer Close();
    static Answer Bytes(std::function<QByteArray(const Pelloxan::MessagePack &Request)> MakeBytes);

    // One message that reached the computer's listener.
    struct Received
    {
        QString FromIP;
        Pelloxan::enPacketDirection Direction;
        qint32 Code;
        quint8 Header;
        QString Message;
    };

    explicit ClientSim(QObject *parent = nullptr);
    ~ClientSim() override;

    // Listens on Address:Port (the server's port). Start again to change the mode.
    bool Start(const QHostAddress &Address, quint16 Port, Mode Mode, QString &ErrString);
    void Stop();
    QHostAddress Address() const;

    // Every later request with Header gets Answer. In raw mode header 0 (the probe) can be
    // scripted too; unscripted it is answered unchanged.
    void SetAnswer(quint8 Header, const Answer &Answer);
    // The next request with Header gets Answer, before the lasting one ("-1 once").
    void SetAnswerOnce(quint8 Header, const Answer &Answer);

    QList<Received> ReceivedMessages() const;
    void ClearReceived();
    // Waits until at least Count messages were received (processing events).
    bool WaitForReceived(qsizetype Count, int TimeoutMs = DefaultWaitMs) const;

    // Sends a request of its own to the server at ServerIP and waits for the answer, answering the
    // server's requests meanwhile. Null with the reason in ErrString.
    Pelloxan::MessagePackPtr
    SendRequest(const QString &ServerIP, quint8 Header, const QString &Message, QString &ErrString);
    // Sends a single message; true once it has left.
    bool SendSingle(const QString &ServerIP, quint8 Header, const QString &Message, QString &ErrString);

    // A plain connection from this computer's address to the server, for malformed bytes.
    std::unique_ptr<RawConnection> OpenRaw(const QString &ServerIP) const;

    // The control in control mode (its time-outs are the caller's to set), else null.
    Pelloxan::Quorvhandler *Control() const;
    // Connections to the raw listener that are still open.
    qsizetype OpenRawConnections() const;

private:
    struct RawPeer;

    Answer TakeAnswer(quint8 Header);
    void Record(const QString &FromIP, const Pelloxan::MessagePack &Pack);
    void OnControlRequest(const QString &CompIP, const Pelloxan::MessagePackPtr &Mes);
    void OnRawConnection();
    void OnRawData(RawPeer *Peer);
    void AnswerRaw(RawPeer *Peer, const Pelloxan::MessagePack &Request);
    Pelloxan::MessagePackPtr
    SendRaw(const QString &ServerIP, const Pelloxan::MessagePack &Pack, bool WaitForAnswer, QString &ErrString);

    Mode m_mode = Mode::Control;
    QHostAddress m_address;
    quint16 m_port = 0;
    std::unique_ptr<Pelloxan::Quorvhandler> m_control;
    std::unique_ptr<QTcpServer> m_rawListener;
    QList<std::shared_ptr<RawPeer>> m_rawPeers;
    QHash<quint8, Answer> m_answers;
    QHash<quint8, QQueue<Answer>> m_answersOnce;
    QList<Received> m_received;
    qint32 m_rawRequestCode = 0;
};
