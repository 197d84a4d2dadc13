#include "proxy/notifierpark.h"

#include <array>
#include <cerrno>
#include <sys/epoll.h>
#include <unistd.h>

namespace
{
constexpr int EventsPerRead = 64;
} // namespace

NotifierPark::~NotifierPark()
{
    // Their owner closes the sockets first: a notifier enabled now would watch a closed descriptor.
    m_watch.reset();
    if (m_epoll >= 0) {
        ::close(m_epoll);
    }
}

// The watch takes its descriptor when the first socket is parked, so a relay with none quiet holds
// no more than it did.
bool NotifierPark::Open(QString &ErrString)
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0) {
        ErrString = QStringLiteral("Не удалось отложить опрос простаивающих соединений: ") + qt_error_string(errno);
        return false;
    }
    m_watch = std::make_unique<QSocketNotifier>(m_epoll, QSocketNotifier::Read);
    QObject::connect(m_watch.get(), &QSocketNotifier::activated, m_watch.get(), [this] { Wake(); });
    return true;
}

bool NotifierPark::Park(QSocketNotifier &Notifier, QString &ErrString)
{
    if (m_epoll < 0 && !Open(ErrString)) {
        return false;
    }
    const int descriptor = static_cast<int>(Notifier.socket());
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.fd = descriptor;
    // Already watched when the socket's own code enabled its notifier again meanwhile.
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, descriptor, &event) != 0
        && (errno != EEXIST || ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, descriptor, &event) != 0)) {
        ErrString = QStringLiteral("Не удалось отложить опрос простаивающего соединения: ") + qt_error_string(errno);
        return false;
    }
    Notifier.setEnabled(false);
    m_parked.insert(descriptor, {&Notifier, &Notifier});
    // A socket closed while parked leaves the system's watch with its descriptor; its entry here
    // goes with its notifier.
    QObject::connect(&Notifier, &QObject::destroyed, m_watch.get(), [this, descriptor](QObject *Gone) {
        Forget(descriptor, Gone);
    });
    return true;
}

bool NotifierPark::IsParked(const QSocketNotifier &Notifier) const
{
    const auto found = m_parked.constFind(static_cast<int>(Notifier.socket()));
    return found != m_parked.cend() && found->Identity == &Notifier;
}

qsizetype NotifierPark::Count() const
{
    return m_parked.size();
}

void NotifierPark::Wake()
{
    std::array<epoll_event, EventsPerRead> events{};
    int count = 0;
    do {
        count = ::epoll_wait(m_epoll, events.data(), EventsPerRead, 0);
        for (int i = 0; i < count; ++i) {
            Release(events.at(i).data.fd);
        }
    } while (count == EventsPerRead);
}

void NotifierPark::Release(int Descriptor)
{
    const Parked parked = m_parked.take(Descriptor);
    // Fails only for a socket closed meanwhile, which the system has stopped watching itself.
    static_cast<void>(::epoll_ctl(m_epoll, EPOLL_CTL_DEL, Descriptor, nullptr));
    if (parked.Notifier) {
        parked.Notifier->disconnect(m_watch.get());
        parked.Notifier->setEnabled(true);
    }
}

void NotifierPark::Forget(int Descriptor, const QObject *Gone)
{
    const auto found = m_parked.find(Descriptor);
    if (found == m_parked.end() || found->Identity != Gone) {
        return;
    }
    m_parked.erase(found);
    // Still open when the notifier goes before its socket closes; else the system has stopped
    // watching it itself, and this fails.
    static_cast<void>(::epoll_ctl(m_epoll, EPOLL_CTL_DEL, Descriptor, nullptr));
}
