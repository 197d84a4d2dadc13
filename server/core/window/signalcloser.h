#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into the signal Requested on the event loop, so that a system shutdown,
// a logout or Ctrl+C close the program the way the close box does. One per process.
class SignalCloser : public QObject
{
    Q_OBJECT

public:
    explicit SignalCloser(QObject *parent = nullptr);
    ~SignalCloser() override;

signals:
    void Requested();

private:
    void Drain();

    QSocketNotifier *m_notifier = nullptr;
};
