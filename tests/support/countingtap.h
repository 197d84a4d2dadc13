#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// A TCP tap in front of an outer proxy on 127.0.0.1, in threads of its own: it passes every
// connection on to Target both ways and keeps all that its peer sent it, the bytes that left the
// relay for the outer proxy. When the target closes, the tap passes the close on and keeps reading
// what its peer still sends, so that whatever the peer's system had taken arrives here.
class CountingTap final
{
public:
    explicit CountingTap(quint16 Target);
    ~CountingTap();
    CountingTap(const CountingTap &) = delete;
    CountingTap &operator=(const CountingTap &) = delete;

    quint16 Port() const;
    // What each ended connection received from its peer, in the order they ended; those still
    // open are left out.
    QList<QByteArray> Received() const;
    // Connections accepted and not yet ended.
    int Open() const;

private:
    void Accept();
    void Pass(int Peer);

    const quint16 m_target;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping = false;
    std::atomic<int> m_open = 0;
    mutable std::mutex m_mutex;
    // Told as each connection's thread ends.
    std::condition_variable m_ended;
    QList<QByteArray> m_received;
    std::thread m_acceptor;
};
