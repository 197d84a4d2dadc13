#include "proxy/relayside.h"

#include <QSignalBlocker>
#include <QTcpSocket>

#include <cerrno>
#include <cstddef>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

RelaySide::RelaySide(QTcpSocket &Socket, const RelaySideKind &Kind)
    : Socket(Socket)
    , Kind(Kind)
{
}

bool RelaySide::IsOpen() const
{
    if (Socket.bytesAvailable() > 0) {
        return true;
    }
    if (Socket.state() != QAbstractSocket::ConnectedState) {
        return Socket.state() != QAbstractSocket::UnconnectedState;
    }
    return !PeerClosed() || SystemHoldsBytes();
}

namespace
{
// The system's numbers of the TCP states read here.
constexpr quint8 TcpTimeWait = 6;
constexpr quint8 TcpClose = 7;
constexpr quint8 TcpCloseWait = 8;
constexpr quint8 TcpLastAck = 9;
constexpr quint8 TcpClosing = 11;
} // namespace

bool RelaySide::TcpState(quint8 &State, qint64 &Acknowledged) const
{
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(static_cast<int>(Socket.socketDescriptor()), IPPROTO_TCP, TCP_INFO, &info, &length) != 0) {
        return false;
    }
    State = info.tcpi_state;
    // An older system gives less, without the count.
    Acknowledged = length >= offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked
                       ? static_cast<qint64>(info.tcpi_bytes_acked)
                       : -1;
    return true;
}

bool RelaySide::PeerEnded() const
{
    quint8 state = 0;
    qint64 acknowledged = 0;
    return Kind.HalfCloses && Socket.state() == QAbstractSocket::ConnectedState && TcpState(state, acknowledged)
           && (state == TcpCloseWait || state == TcpLastAck || state == TcpClosing || state == TcpClose);
}

qint64 RelaySide::Acknowledged() const
{
    quint8 state = 0;
    qint64 acknowledged = -1;
    return TcpState(state, acknowledged) ? acknowledged : -1;
}

bool RelaySide::PeerClosed() const
{
    if (Socket.state() != QAbstractSocket::ConnectedState) {
        return Socket.state() == QAbstractSocket::UnconnectedState;
    }
    if (Kind.HalfCloses) {
        quint8 state = 0;
        qint64 acknowledged = 0;
        // A probe that fails tells nothing: the socket's own state stands.
        return TcpState(state, acknowledged) && (state == TcpClose || state == TcpTimeWait);
    }
    pollfd watched{.fd = static_cast<int>(Socket.socketDescriptor()), .events = POLLRDHUP, .revents = 0};
    // A probe that fails tells nothing: the socket's own state stands.
    return ::poll(&watched, 1, 0) == 1 && (watched.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

bool RelaySide::Delivered() const
{
    if (Socket.bytesToWrite() > 0) {
        return false;
    }
    if (Socket.state() != QAbstractSocket::ConnectedState) {
        return true;
    }
    int unsent = 0;
    // Unknown counts as not delivered: the side then waits for its peer's close.
    return ::ioctl(static_cast<int>(Socket.socketDescriptor()), SIOCOUTQ, &unsent) == 0 && unsent == 0;
}

bool RelaySide::SystemHoldsBytes() const
{
    int unread = 0;
    // Unknown counts as holding some: a side is closed only when nothing of it can be lost.
    return ::ioctl(static_cast<int>(Socket.socketDescriptor()), FIONREAD, &unread) != 0 || unread > 0;
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

bool RelaySide::HoldLastSegment(QString &ErrText) const
{
    const int hold = 1;
    if (::setsockopt(static_cast<int>(Socket.socketDescriptor()), IPPROTO_TCP, TCP_CORK, &hold, sizeof hold) == 0) {
        return true;
    }
    ErrText = qt_error_string(errno);
    return false;
}

bool RelaySide::EndWriting(QString &ErrText) const
{
    if (::shutdown(static_cast<int>(Socket.socketDescriptor()), SHUT_WR) == 0) {
        return true;
    }
    ErrText = qt_error_string(errno);
    return false;
}

QString RelaySide::Name() const
{
    return QLatin1String(Kind.Name);
}
