#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

// Socket states as the relay's rules read them: the numbers of the club's older sockets.
enum RelaySocketState : qint32
{
    rsClosed = 0,
    rsOpen = 1,
    rsListening = 2,
    rsConnecting = 6,
    rsConnected = 7,
    rsClosing = 8,
};

// The state number of a socket.
qint32 RelayState(const QAbstractSocket &Socket);

// Open: not closed, or closed by its peer with bytes still to be relayed.
bool IsRelayOpen(const QAbstractSocket &Socket);

// One connection of a client computer ("Server", accepted) and its connection to the outer proxy
// ("Client"). The pair owns both sockets. It is freed with deleteLater, and not before the last
// use of it further up the stack has ended (a handler of its events, a host call on its behalf):
// the host may wait inside a call (a message box), and a deleteLater made during that wait would
// run in the wait, under the socket's own event.
struct RelayPair : public QObject
{
    Q_OBJECT

public:
    // Takes Server over; each socket buffers at most ReadBufferSize received bytes.
    RelayPair(qint32 Index, QTcpSocket *Server, qint64 ReadBufferSize, QObject *parent);

    const qint32 Index;
    QTcpSocket *const Server;
    QTcpSocket *const Client;
    // The client computer's address, dotted.
    const QString ClientIP;
    // Bounds the connect to the outer proxy.
    QTimer ConnectTimer;
    // A chunk of that direction is with the host: a nested event for the same direction waits, so
    // the chunks keep their order.
    bool ServerBusy = false;
    bool ClientBusy = false;
    // Uses of the pair under way further up the stack, and whether it left the relay meanwhile.
    qint32 Holds = 0;
    bool Unloaded = false;
};
