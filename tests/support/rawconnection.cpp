#include "rawconnection.h"

#include <QTest>

bool RawConnection::Open(const QHostAddress &From, const QHostAddress &To, quint16 Port, int TimeoutMs)
{
    if (!m_Socket.bind(From, 0)) {
        return false;
    }
    m_Socket.connectToHost(To, Port);
    return QTest::qWaitFor([this] { return m_Socket.state() != QAbstractSocket::ConnectingState; }, TimeoutMs)
           && m_Socket.state() == QAbstractSocket::ConnectedState;
}

bool RawConnection::Write(const QByteArray &Bytes)
{
    if (m_Socket.write(Bytes) != Bytes.size()) {
        return false;
    }
    return QTest::qWaitFor([this] { return m_Socket.bytesToWrite() == 0 || !IsOpen(); }, 3000) && IsOpen();
}

QByteArray RawConnection::WaitForBytes(qsizetype Count, int TimeoutMs)
{
    static_cast<void>(QTest::qWaitFor(
        [&] {
            m_Received += m_Socket.readAll();
            return m_Received.size() >= Count || !IsOpen();
        },
        TimeoutMs));
    m_Received += m_Socket.readAll();
    return m_Received;
}

bool RawConnection::WaitForClose(int TimeoutMs)
{
    return QTest::qWaitFor(
        [this] {
            m_Received += m_Socket.readAll();
            return !IsOpen();
        },
        TimeoutMs);
}

QByteArray RawConnection::Received()
{
    m_Received += m_Socket.readAll();
    return m_Received;
}

bool RawConnection::IsOpen() const
{
    return m_Socket.state() == QAbstractSocket::ConnectedState;
}

void RawConnection::Close()
{
    m_Socket.abort();
}
