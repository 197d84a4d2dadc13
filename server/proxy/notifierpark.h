#pragma once

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// Keeps the read notifiers of quiet sockets off the event loop, which polls every enabled notifier
// on each of its turns: with thousands of idle relay pairs open, that poll, not the work, filled
// the turns. A parked notifier is disabled and its socket watched here, all of them through one
// descriptor of the system's; the first event on a socket enables its notifier again, and the
// event loop handles the socket from its next turn as before.
class NotifierPark final
{
public:
    NotifierPark() = default;
    ~NotifierPark();
    NotifierPark(const NotifierPark &) = delete;
    NotifierPark &operator=(const NotifierPark &) = delete;

    // False, with the notifier left as it was, when its socket cannot be watched (ErrString: why).
    bool Park(QSocketNotifier &Notifier, QString &ErrString);
    bool IsParked(const QSocketNotifier &Notifier) const;
    qsizetype Count() const;

private:
    struct Parked
    {
        QPointer<QSocketNotifier> Notifier;
        // To tell, as a notifier goes, whether the entry is still its own.
        const QObject *Identity = nullptr;
    };

    bool Open(QString &ErrString);
    void Wake();
    void Release(int Descriptor);
    void Forget(int Descriptor, const QObject *Gone);

    int m_epoll = -1;
    std::unique_ptr<QSocketNotifier> m_watch;
    QHash<int, Parked> m_parked;
};
