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
    // A chunk from a client computer, offered before it is relayed (true refuses it), or bytes from
    // the outer proxy, offered once they are handed to the system for the client computer (true
    // drops what follows them). Either way true closes the pair. The host may wait inside: any
    // connection may have closed when it returns.
    virtual bool RefuseRequest(const QString &ClientIP, const QString &URL, qint32 Length) = 0;
    virtual bool RefuseResponse(const QString &ClientIP, qint32 Length) = 0;
    // Seconds the connect to the outer proxy may take.
    virtual qint32 ConnectTimeout() const = 0;
    // The connection has left the relay: its index is free, and so are its descriptors.
    virtual void Released(const RelayConnection &Connection) = 0;

protected:
    ~RelayHost() = default;
};
