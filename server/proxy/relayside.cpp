#include "proxy/relayside.h"

#include <QSignalBlocker>
#include <QTcpSocket>

RelaySide::RelaySide(QTcpSocket &Socket, const RelaySideKind &Kind)
    : Socket(Socket)
    , Kind(Kind)
{
}

bool RelaySide::IsOpen() const
{
    return Socket.state() != QAbstractSocket::UnconnectedState || Socket.bytesAvailable() > 0;
}

qint32 RelaySide::State() const
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

void RelaySide::Close() const
{
    const QSignalBlocker blocker(Socket);
    Socket.abort();
}

QString RelaySide::Name() const
{
    return QLatin1String(Kind.Name);
}
