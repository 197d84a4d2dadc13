#include "rawconnection.h"

#include <QTest>

#include <sys/socket.h>

bool RawConnection::Open(const QHostAddress &From, const QHostAddress &To, quint16 Port, int TimeoutMs)
{
    if (!m_socket.bind(From, 0)) {
        return false;
    }
    m_socket.connectToHost(To, Port);
    return QTest::qWaitFor([this] { return m_socket.state() != QAbstractSocket::ConnectingState; }, TimeoutMs)
           && m_socket.state() == QAbstractSocket::ConnectedState;
}

bool RawConnection::Write(const QByteArray &Bytes)
{
    if (m_socket.write(Bytes) != Bytes.size()) {
        return false;
    }
    return QTest::qWaitFor([this] { return m_socket.bytesToWrite() == 0 || !IsOpen(); }, DefaultTimeoutMs) && IsOpen();
}

QByteArray RawConnection::WaitForBytes(qsizetype Count, int TimeoutMs)
{
    static_cast<void>(QTest::qWaitFor(
        [&] {
            m_received += m_socket.readAll();
            return m_received.size() >= Count || !IsOpen();
        },
        TimeoutMs));
    m_received += m_socket.readAll();
    return m_received;
}

bool RawConnection::WaitForClose(int TimeoutMs)
{
    return QTest::qWaitFor(
        [this] {
            m_received += m_socket.readAll();
            return !IsOpen();
        },
        TimeoutMs);
}

QByteArray RawConnection::Received()
{
    m_received += m_socket.readAll();
    return m_received;
}

bool RawConnection::IsOpen() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void RawConnection::Close()
{
    m_socket.abort();
}

void RawConnection::Reset()
{
    const linger reset{1, 0};
    if (::setsockopt(int(m_socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset) != 0) {
        qWarning() << "SO_LINGER not set, the close is an orderly one:" << qt_error_string();
    }
    m_socket.abort();
}
