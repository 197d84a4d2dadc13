#include "proxy/relaypair.h"

#include <QHostAddress>

namespace
{
QString DottedAddress(const QHostAddress &Address)
{
    bool isV4 = false;
    const quint32 v4 = Address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : Address.toString();
}
} // namespace

qint32 RelayState(const QAbstractSocket &Socket)
{
    switch (Socket.state()) {
    case QAbstractSocket::UnconnectedState:
        return rsClosed;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return rsConnecting;
    case QAbstractSocket::ConnectedState:
        return rsConnected;
    case QAbstractSocket::ListeningState:
        return rsListening;
    case QAbstractSocket::ClosingState:
        return rsClosing;
    case QAbstractSocket::BoundState:
        return rsOpen;
    }
    return rsClosed;
}

bool IsRelayOpen(const QAbstractSocket &Socket)
{
    return Socket.state() != QAbstractSocket::UnconnectedState || Socket.bytesAvailable() > 0;
}

RelayPair::RelayPair(qint32 Index, QTcpSocket *Server, qint64 ReadBufferSize, QObject *parent)
    : QObject(parent)
    , Index(Index)
    , Server(Server)
    , Client(new QTcpSocket(this))
    , ClientIP(DottedAddress(Server->peerAddress()))
{
    Server->setParent(this);
    Server->setReadBufferSize(ReadBufferSize);
    Client->setReadBufferSize(ReadBufferSize);
    Server->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ConnectTimer.setSingleShot(true);
}
