#pragma once

#include <QString>

// One descriptor held in reserve. When the process has no descriptor left, a connection waiting on
// the listener cannot even be accepted, and would wait there for as long as the relay is full: the
// reserve lets the relay accept it and close it at once.
class SpareDescriptor final
{
public:
    SpareDescriptor() = default;
    ~SpareDescriptor();
    SpareDescriptor(const SpareDescriptor &) = delete;
    SpareDescriptor &operator=(const SpareDescriptor &) = delete;

    // Opens the reserve unless it is held; false with the reason.
    bool Reserve(QString &ErrString);
    // Gives the reserve up for a moment's use (a log line to write); Reserve takes it back.
    void Release();
    // Accepts and closes every connection waiting on the listening descriptor, using the reserve.
    // False when the reserve is not held (then nothing could be closed), with the reason.
    bool CloseWaiting(qintptr Listener, int &Closed, QString &ErrString);

private:
    int m_descriptor = -1;
};
