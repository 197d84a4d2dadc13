#pragma once

#include <QByteArray>

// A listening socket on 127.0.0.1 with a backlog of 0 that accepts nothing and whose queue is
// filled by a connection of its own: the system drops further connection requests, so a connect
// to it stays pending until the test lets one in.
class StalledListener final
{
public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener &) = delete;
    StalledListener &operator=(const StalledListener &) = delete;

    bool IsReady() const;
    quint16 Port() const;
    // Accepts the connection that fills the queue: the next retried request gets in.
    void Release();
    // Accepts one waiting connection and reads from it until all it sent ends with Ending, or
    // TimeoutMs passed; returns all it sent so far.
    QByteArray ReadUntil(const QByteArray &Ending, int TimeoutMs = 5000);

private:
    void ReadAvailable();

    int m_listener = -1;
    int m_filler = -1;
    int m_accepted = -1;
    QByteArray m_received;
    quint16 m_port = 0;
};
