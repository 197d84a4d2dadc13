#include "clientsim.h"

#include "packetframing.h"

#include <QTest>
#include <QTimer>

using namespace Pelloxan;

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
    m_mode = Mode;
    m_address = Address;
    m_port = Port;
    if (Mode == Mode::Control) {
        m_control = std::make_unique<Quorvhandler>();
        m_control->SetBindAddress(Address);
        connect(m_control.get(), &Quorvhandler::IncomingRequest, this, &ClientSim::OnControlRequest);
        return m_control->Start(Port, ErrString);
    }
    m_rawListener = std::make_unique<QTcpServer>();
    connect(m_rawListener.get(), &QTcpServer::newConnection, this, &ClientSim::OnRawConnection);
    if (!m_rawListener->listen(Address, Port)) {
        ErrString = m_rawListener->errorString();
        return false;
    }
    return true;
}

void ClientSim::Stop()
{
    if (m_control) {
        m_control->Stop_();
        m_control.reset();
    }
    for (const std::shared_ptr<RawPeer> &peer : std::as_const(m_rawPeers)) {
        if (peer->Socket) {
            peer->Socket->disconnect(this);
            peer->Socket->abort();
            peer->Socket->deleteLater();
        }
    }
    m_rawPeers.clear();
    m_rawListener.reset();
}

QHostAddress ClientSim::Address() const
{
    return m_address;
}

void ClientSim::SetAnswer(quint8 Header, const Answer &Answer)
{
    m_answers.insert(Header, Answer);
}

void ClientSim::SetAnswerOnce(quint8 Header, const Answer &Answer)
{
    m_answersOnce[Header].enqueue(Answer);
}

QList<ClientSim::Received> ClientSim::ReceivedMessages() const
{
    return m_received;
}

void ClientSim::ClearReceived()
{
    m_received.clear();
}

bool ClientSim::WaitForReceived(qsizetype Count, int TimeoutMs) const
{
    return QTest::qWaitFor([&] { return m_received.size() >= Count; }, TimeoutMs);
}

MessagePackPtr
ClientSim::SendRequest(const QString &ServerIP, quint8 Header, const QString &Message, QString &ErrString)
{
    if (m_control) {
        return m_control->DialogMessage(ServerIP, m_control->MakeMessagePacketFromParts(Header, Message), ErrString);
    }
    MessagePack pack;
    pack.SetPacketDirection(pdRequest);
    pack.SetCode(++m_rawRequestCode);
    pack.SetHeader(Header);
    pack.SetMessage(Message);
    return SendRaw(ServerIP, pack, true, ErrString);
}

bool ClientSim::SendSingle(const QString &ServerIP, quint8 Header, const QString &Message, QString &ErrString)
{
    if (m_control) {
        const MessagePackPtr single = m_control->MakeMessagePacketFromParts(Header, Message, true);
        return m_control->DialogMessage(ServerIP, single, ErrString) != nullptr;
    }
    MessagePack pack;
    pack.SetPacketDirection(pdSingle);
    pack.SetCode(++m_rawRequestCode);
    pack.SetHeader(Header);
    pack.SetMessage(Message);
    return SendRaw(ServerIP, pack, false, ErrString) != nullptr;
}

std::unique_ptr<RawConnection> ClientSim::OpenRaw(const QString &ServerIP) const
{
    auto connection = std::make_unique<RawConnection>();
    if (!connection->Open(m_address, QHostAddress(ServerIP), m_port)) {
        return nullptr;
    }
    return connection;
}

Quorvhandler *ClientSim::Control() const
{
    return m_control.get();
}

qsizetype ClientSim::OpenRawConnections() const
{
    return std::count_if(m_rawPeers.cbegin(), m_rawPeers.cend(), [](const std::shared_ptr<RawPeer> &peer) {
        return peer->Socket && peer->Socket->state() == QAbstractSocket::ConnectedState;
    });
}

ClientSim::Answer ClientSim::TakeAnswer(quint8 Header)
{
    QQueue<Answer> &once = m_answersOnce[Header];
    if (!once.isEmpty()) {
        return once.dequeue();
    }
    return m_answers.value(Header, Answer{Answer::Kind::Reply, QString(), 0, 0, {}, {}});
}

void ClientSim::Record(const QString &FromIP, const MessagePack &Pack)
{
    m_received.append(Received{FromIP, Pack.PacketDirection(), Pack.GetCode(), Pack.Header(), Pack.Message()});
}

void ClientSim::OnControlRequest(const QString &CompIP, const MessagePackPtr &Mes)
{
    Record(CompIP, *Mes);
    if (Mes->PacketDirection() != pdRequest) {
        return;
    }
    const bool unscripted = !m_answers.contains(Mes->Header()) && m_answersOnce.value(Mes->Header()).isEmpty();
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
    while (QTcpSocket *socket = m_rawListener->nextPendingConnection()) {
        socket->setParent(this);
        auto peer = std::make_shared<RawPeer>();
        peer->Socket = socket;
        m_rawPeers.append(peer);
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
    const bool unscripted = !m_answers.contains(Request.Header()) && m_answersOnce.value(Request.Header()).isEmpty();
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
        ErrString = QStringLiteral("no connection to %1:%2").arg(ServerIP).arg(m_port);
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
        AnswerWaitMs);
    if (!answered || answer->PacketDirection() != pdAnswer) {
        ErrString = QStringLiteral("no answer from the server");
        return nullptr;
    }
    return answer;
}
