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

RelaySocketState RelaySide::State() const
{
    switch (Socket.state()) {
    case QAbstractSocket::UnconnectedState:
        return RelaySocketState::Closed;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return RelaySocketState::Connecting;
    case QAbstractSocket::ConnectedState:
        return RelaySocketState::Connected;
    case QAbstractSocket::ListeningState:
        return RelaySocketState::Listening;
    case QAbstractSocket::ClosingState:
        return RelaySocketState::Closing;
    case QAbstractSocket::BoundState:
        return RelaySocketState::Open;
    }
    return RelaySocketState::Closed;
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
