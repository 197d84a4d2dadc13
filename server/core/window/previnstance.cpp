#include "core/window/previnstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <unistd.h>

namespace
{
constexpr int ConnectTimeoutMs = 3000;

struct InstanceState
{
    QString key = QStringLiteral("Quillmarsh-") + QString::number(::getuid());
    std::unique_ptr<QLockFile> lock;
    QPointer<QLocalServer> server;
    QPointer<QWidget> window;
};

InstanceState &State()
{
    static InstanceState state;
    return state;
}

void BringWindowToFront()
{
    QWidget *window = State().window;
    if (window == nullptr) {
        return;
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

// The later instance only knocks: a connection is the request to come to the front.
void Listen()
{
    auto *server = new QLocalServer(QCoreApplication::instance());
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(State().key); // a socket left behind by an instance that crashed
    server->listen(State().key);
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            socket->deleteLater();
            BringWindowToFront();
        }
    });
    State().server = server;
}

void KnockOnFirstInstance()
{
    QLocalSocket socket;
    socket.connectToServer(State().key);
    if (socket.waitForConnected(ConnectTimeoutMs)) {
        socket.disconnectFromServer();
    }
}
} // namespace

bool ActivatePrevInstance()
{
    InstanceState &state = State();
    if (state.lock) {
        return true;
    }
    auto lock = std::make_unique<QLockFile>(QDir::temp().filePath(state.key + QStringLiteral(".lock")));
    // Only a lock whose process has died is stale, however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        KnockOnFirstInstance();
        return false;
    }
    state.lock = std::move(lock);
    Listen();
    return true;
}

void SetInstanceWindow(QWidget *window)
{
    State().window = window;
}

void SetInstanceKey(const QString &key)
{
    State().key = key;
}
