#include "countingtap.h"

#include "rawsockets.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int PollMs = 100;
// A connection that passes nothing this long is ended: a test that left one open has failed.
constexpr int IdleMs = 30000;
constexpr size_t Block = 64 * 1024;

// One direction: what was read and not yet written on, and whether its reader has ended.
struct Direction
{
    int From = -1;
    int To = -1;
    QByteArray Pending;
    bool Reading = true;
    bool Writing = true;
};

// Reads from the direction's source when nothing waits; false at its end.
void ReadInto(Direction &D, QByteArray *Kept)
{
    char buffer[Block];
    const ssize_t got = ::recv(D.From, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0) {
        if (Kept) {
            Kept->append(buffer, got);
        }
        if (D.Writing) {
            D.Pending.append(buffer, got);
        }
        return;
    }
    if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
        D.Reading = false;
    }
}

void WriteOn(Direction &D)
{
    const ssize_t sent = ::send(D.To, D.Pending.constData(), size_t(D.Pending.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent > 0) {
        D.Pending.remove(0, sent);
    } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
        // The other end is gone: what it was to get is dropped, and what comes is only kept.
        D.Writing = false;
        D.Pending.clear();
    }
}
} // namespace

CountingTap::CountingTap(quint16 Target)
    : m_target(Target)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = SocketAddress(QStringLiteral("127.0.0.1"), 0);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(m_listener, 512) == 0
        && ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { Accept(); });
    }
}

CountingTap::~CountingTap()
{
    m_stopping = true;
    if (m_acceptor.joinable()) {
        m_acceptor.join();
    }
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return m_open == 0; });
    ::close(m_listener);
}

quint16 CountingTap::Port() const
{
    return m_port;
}

QList<QByteArray> CountingTap::Received() const
{
    const std::lock_guard lock(m_mutex);
    return m_received;
}

int CountingTap::Open() const
{
    return m_open;
}

void CountingTap::Accept()
{
    while (!m_stopping) {
        pollfd watched{m_listener, POLLIN, 0};
        if (::poll(&watched, 1, PollMs) != 1) {
            continue;
        }
        const int peer = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer >= 0) {
            ++m_open;
            std::thread([this, peer] { Pass(peer); }).detach();
        }
    }
}

void CountingTap::Pass(int Peer)
{
    const int target = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = SocketAddress(QStringLiteral("127.0.0.1"), m_target);
    QByteArray kept;
    if (::connect(target, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        Direction up;
        up.From = Peer;
        up.To = target;
        Direction down;
        down.From = target;
        down.To = Peer;
        int idleMs = 0;
        // Each close is passed on once what came before it has been written.
        bool upEnded = false;
        bool downEnded = false;
        while ((up.Reading || down.Reading || !down.Pending.isEmpty()) && idleMs < IdleMs) {
            pollfd watched[2] = {
                {Peer,
                 short((up.Reading && up.Pending.isEmpty() ? POLLIN : 0) | (down.Pending.isEmpty() ? 0 : POLLOUT)),
                 0},
                {target,
                 short((down.Reading && down.Pending.isEmpty() ? POLLIN : 0) | (up.Pending.isEmpty() ? 0 : POLLOUT)),
                 0}};
            const int ready = ::poll(watched, 2, PollMs);
            idleMs = ready > 0 ? 0 : idleMs + PollMs;
            if (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) {
                ReadInto(up, &kept);
            }
            if (watched[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                ReadInto(down, nullptr);
            }
            if (!up.Pending.isEmpty() && (watched[1].revents & (POLLOUT | POLLERR))) {
                WriteOn(up);
            }
            if (!down.Pending.isEmpty() && (watched[0].revents & (POLLOUT | POLLERR))) {
                WriteOn(down);
            }
            if (!up.Reading && up.Pending.isEmpty() && !upEnded) {
                upEnded = true;
                ::shutdown(target, SHUT_WR);
            }
            if (!down.Reading && down.Pending.isEmpty() && !downEnded) {
                downEnded = true;
                ::shutdown(Peer, SHUT_WR);
                // The outer proxy has gone: what the peer still sends reaches only this tap.
                up.Writing = false;
                up.Pending.clear();
            }
        }
    }
    ::close(target);
    ::close(Peer);
    const std::lock_guard lock(m_mutex);
    m_received.append(kept);
    --m_open;
    m_ended.notify_all();
}
