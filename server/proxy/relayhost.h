#pragma once

#include <QString>

class RelayConnection;

// What a relay connection asks of the relay that holds it: the trace, the host's word on each chunk
// and the index table it leaves.
class RelayHost
{
public:
    // Trace line types.
    static constexpr qint32 TraceError = 1;
    static constexpr qint32 TraceInfo = 4;

    // Whether trace lines are wanted: a line that is costly to build is skipped otherwise.
    virtual bool Log() const = 0;
    virtual void Trace(const QString &Text, qint32 Index, qint32 Type) = 0;
    // The overview of every connection and its state.
    virtual void LogConnectionStates() = 0;
    // A chunk from a client computer has arrived: true refuses it unsent. Then its bytes, offered
    // as the outer proxy's connection hands them to the system (URL with the first of them), and
    // the outer proxy's bytes, offered as the client computer's connection does: true drops what
    // follows them. Each true closes the pair. The host may wait inside: any connection may have
    // closed when it returns.
    virtual bool RefuseArrival(const QString &ClientIP) = 0;
    virtual bool RefuseRequest(const QString &ClientIP, const QString &URL, qint32 Length) = 0;
    virtual bool RefuseResponse(const QString &ClientIP, qint32 Length) = 0;
    // Seconds the connect to the outer proxy may take.
    virtual qint32 ConnectTimeout() const = 0;
    // The connection has left the relay: its index is free, and so are its descriptors.
    virtual void Released(const RelayConnection &Connection) = 0;

protected:
    ~RelayHost() = default;
};
