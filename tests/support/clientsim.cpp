#include "clientsim.h"

#include "packetframing.h"

#include <QTest>
#include <QTimer>

struct ClientSim::RawPeer
{
    QPointer<QTcpSocket> Socket;
    QByteArray Buffer;
};

ClientSim::Answer ClientSim::Reply(const QString &Text)
{
    return Answer{Answer::Kind::Reply, Text, 0, 0, {}, {}};
}

ClientSim::Answer ClientSim::Silence()
{
    return Answer{Answer::Kind::Silence, QString(), 0, 0, {}, {}};
}

ClientSim::Answer ClientSim::Late(const QString &Text, int DelayMs)
{
    return Answer{Answer::Kind::Late, Text, DelayMs, 0, {}, {}};
}

ClientSim::Answer ClientSim::WrongHeader(quint8 OtherHeader, const QString &Text)
{
    return Answer{Answer::Kind::WrongHeader, Text, 0, OtherHeader, {}, {}};
}

ClientSim::Answer ClientSim::Close()
{
    return Answer{Answer::Kind::Close, QString(), 0, 0, {}, {}};
}

ClientSim::Answer ClientSim::Bytes(std::function<QByteArray(const MessagePack &Request)> MakeBytes)
{
    return Answer{Answer::Kind::Bytes, QString(), 0, 0, std::move(MakeBytes), {}};
}

ClientSim::ClientSim(QObject *parent)
    : QObject(parent)
{
}

ClientSim::~ClientSim()
{
    Stop();
}

bool ClientSim::Start(const QHostAddress &Address, quint16 Port, Mode Mode, QString &ErrString)
{
    Stop();
    m_Mode = Mode;
    m_Address = Address;
    m_Port = Port;
    if (Mode == Mode::Control) {
        m_Control = std::make_unique<Quorvhandler>();
        m_Control->SetBindAddress(Address);
        connect(m_Control.get(), &Quorvhandler::IncomingRequest, this, &ClientSim::OnControlRequest);
        return m_Control->Start(Port, ErrString);
    }
    m_RawListener = std::make_unique<QTcpServer>();
    connect(m_RawListener.get(), &QTcpServer::newConnection, this, &ClientSim::OnRawConnection);
    if (!m_RawListener->listen(Address, Port)) {
        ErrString = m_RawListener->errorString();
        return false;
    }
    return true;
}

void ClientSim::Stop()
{
    if (m_Control) {
        m_Control->Stop_();
        m_Control.reset();
    }
    for (const std::shared_ptr<RawPeer> &peer : std::as_const(m_RawPeers)) {
        if (peer->Socket) {
            peer->Socket->disconnect(this);
            peer->Socket->abort();
            peer->Socket->deleteLater();
        }
    }
    m_RawPeers.clear();
    m_RawListener.reset();
}

QHostAddress ClientSim::Address() const
{
    return m_Address;
}

void ClientSim::SetAnswer(quint8 Header, const Answer &Answer)
{
    m_Answers.insert(Header, Answer);
}

void ClientSim::SetAnswerOnce(quint8 Header, const Answer &Answer)
{
    m_AnswersOnce[Header].enqueue(Answer);
}

QList<ClientSim::Received> ClientSim::ReceivedMessages() const
{
    return m_Received;
}

void ClientSim::ClearReceived()
{
    m_Received.clear();
}

bool ClientSim::WaitForReceived(qsizetype Count, int TimeoutMs) const
{
    return QTest::qWaitFor([&] { return m_Received.size() >= Count; }, TimeoutMs);
}

MessagePackPtr
ClientSim::SendRequest(const QString &ServerIP, quint8 Header, const QString &Message, QString &ErrString)
{
    if (m_Control) {
        return m_Control->DialogMessage(ServerIP, m_Control->MakeMessagePacketFromParts(Header, Message), ErrString);
    }
    MessagePack pack;
    pack.SetPacketDirection(pdRequest);
    pack.SetCode(++m_RawRequestCode);
    pack.SetHeader(Header);
    pack.SetMessage(Message);
    return SendRaw(ServerIP, pack, true, ErrString);
}

bool ClientSim::SendSingle(const QString &ServerIP, quint8 Header, const QString &Message, QString &ErrString)
{
    if (m_Control) {
        const MessagePackPtr single = m_Control->MakeMessagePacketFromParts(Header, Message, true);
        return m_Control->DialogMessage(ServerIP, single, ErrString) != nullptr;
    }
    MessagePack pack;
    pack.SetPacketDirection(pdSingle);
    pack.SetCode(++m_RawRequestCode);
    pack.SetHeader(Header);
    pack.SetMessage(Message);
    return SendRaw(ServerIP, pack, false, ErrString) != nullptr;
}

std::unique_ptr<RawConnection> ClientSim::OpenRaw(const QString &ServerIP) const
{
    auto connection = std::make_unique<RawConnection>();
    if (!connection->Open(m_Address, QHostAddress(ServerIP), m_Port)) {
        return nullptr;
    }
    return connection;
}

Quorvhandler *ClientSim::Control() const
{
    return m_Control.get();
}

qsizetype ClientSim::OpenRawConnections() const
{
    return std::count_if(m_RawPeers.cbegin(), m_RawPeers.cend(), [](const std::shared_ptr<RawPeer> &peer) {
        return peer->Socket && peer->Socket->state() == QAbstractSocket::ConnectedState;
    });
}

ClientSim::Answer ClientSim::TakeAnswer(quint8 Header)
{
    QQueue<Answer> &once = m_AnswersOnce[Header];
    if (!once.isEmpty()) {
        return once.dequeue();
    }
    return m_Answers.value(Header, Answer{Answer::Kind::Reply, QString(), 0, 0, {}, {}});
}

void ClientSim::Record(const QString &FromIP, const MessagePack &Pack)
{
    m_Received.append(Received{FromIP, Pack.PacketDirection(), Pack.GetCode(), Pack.Header(), Pack.Message()});
}

void ClientSim::OnControlRequest(const QString &CompIP, const MessagePackPtr &Mes)
{
    Record(CompIP, *Mes);
    if (Mes->PacketDirection() != pdRequest) {
        return;
    }
    const bool unscripted = !m_Answers.contains(Mes->Header()) && m_AnswersOnce.value(Mes->Header()).isEmpty();
    const Answer answer = TakeAnswer(Mes->Header());
    switch (answer.What) {
    case Answer::Kind::Reply:
        if (!unscripted) {
            Mes->SetMessage(answer.Text);
        }
        break;
    case Answer::Kind::WrongHeader:
        Mes->SetHeader(answer.OtherHeader);
        Mes->SetMessage(answer.Text);
        break;
    default:
        // A pack the handler turns into a single message is not answered.
        Mes->SetPacketDirection(pdSingle);
        break;
    }
}

void ClientSim::OnRawConnection()
{
    while (QTcpSocket *socket = m_RawListener->nextPendingConnection()) {
        socket->setParent(this);
        auto peer = std::make_shared<RawPeer>();
        peer->Socket = socket;
        m_RawPeers.append(peer);
        connect(socket, &QTcpSocket::readyRead, this, [this, raw = peer.get()] { OnRawData(raw); });
    }
}

void ClientSim::OnRawData(RawPeer *Peer)
{
    if (!Peer->Socket) {
        return;
    }
    Peer->Buffer += Peer->Socket->readAll();
    qsizetype from = 0;
    for (;;) {
        MessagePack pack;
        qsizetype next = 0;
        if (PacketFraming::FromPacketString(Peer->Buffer, from, pack, next) != PacketFraming::ParseResult::Complete) {
            break;
        }
        from = next;
        Record(Peer->Socket->peerAddress().toString(), pack);
        if (pack.PacketDirection() == pdRequest) {
            AnswerRaw(Peer, pack);
        }
        if (!Peer->Socket || Peer->Socket->state() != QAbstractSocket::ConnectedState) {
            return;
        }
    }
    Peer->Buffer.remove(0, from);
}

void ClientSim::AnswerRaw(RawPeer *Peer, const MessagePack &Request)
{
    MessagePack answer = Request;
    answer.SetPacketDirection(pdAnswer);
    const bool unscripted = !m_Answers.contains(Request.Header()) && m_AnswersOnce.value(Request.Header()).isEmpty();
    const Answer script = TakeAnswer(Request.Header());
    if (!unscripted) {
        answer.SetMessage(script.Text);
    }
    QTcpSocket *socket = Peer->Socket;
    if (script.Prefix) {
        socket->write(script.Prefix(Request));
    }
    switch (script.What) {
    case Answer::Kind::Reply:
        socket->write(PacketFraming::ToPacketString(answer));
        break;
    case Answer::Kind::WrongHeader:
        answer.SetHeader(script.OtherHeader);
        socket->write(PacketFraming::ToPacketString(answer));
        break;
    case Answer::Kind::Late:
        QTimer::singleShot(script.DelayMs, socket, [socket, bytes = PacketFraming::ToPacketString(answer)] {
            if (socket->state() == QAbstractSocket::ConnectedState) {
                socket->write(bytes);
            }
        });
        break;
    case Answer::Kind::Close:
        socket->disconnectFromHost();
        break;
    case Answer::Kind::Bytes:
        socket->write(script.MakeBytes(Request));
        break;
    case Answer::Kind::Silence:
        break;
    }
}

MessagePackPtr
ClientSim::SendRaw(const QString &ServerIP, const MessagePack &Pack, bool WaitForAnswer, QString &ErrString)
{
    const std::unique_ptr<RawConnection> connection = OpenRaw(ServerIP);
    if (!connection) {
        ErrString = QStringLiteral("no connection to %1:%2").arg(ServerIP).arg(m_Port);
        return nullptr;
    }
    if (!connection->Write(PacketFraming::ToPacketString(Pack))) {
        ErrString = QStringLiteral("the request was not sent");
        return nullptr;
    }
    auto answer = std::make_shared<MessagePack>();
    if (!WaitForAnswer) {
        *answer = Pack;
        return answer;
    }
    // The server's answer comes on this connection; the listener keeps answering meanwhile.
    QByteArray received;
    qsizetype next = 0;
    const bool answered = QTest::qWaitFor(
        [&] {
            received = connection->Received();
            return PacketFraming::FromPacketString(received, 0, *answer, next) == PacketFraming::ParseResult::Complete
                   || !connection->IsOpen();
        },
        30000);
    if (!answered || answer->PacketDirection() != pdAnswer) {
        ErrString = QStringLiteral("no answer from the server");
        return nullptr;
    }
    return answer;
}
