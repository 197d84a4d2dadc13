#include "connection.h"
#include "entitylib.h"
#include "schemareader.h"
#include "warninglog.h"

#include <QCoreApplication>

namespace Rollstrake
{
namespace
{
// Never destroyed with the other statics; Shutdown (also run when the application object goes)
// releases the root and closes the connection while Qt is still whole.
std::shared_ptr<Root> &Started()
{
    static auto *root = new std::shared_ptr<Root>();
    return *root;
}

std::function<void(const QString &, const QString &)> &DeleteErrorHandler()
{
    static std::function<void(const QString &, const QString &)> handler;
    return handler;
}
} // namespace

std::shared_ptr<Root> Root::Create()
{
    return std::shared_ptr<Root>(new Root());
}

Root::Root()
    : m_tables(std::make_shared<Rollstrake::Tables>())
{
}

Root::~Root()
{
    // A root that never got started lets a later Start open afresh; the started root's connection
    // stays with it.
    if (!Started()) {
        Connection::Release();
    }
}

const std::shared_ptr<Tables> &Root::Tables() const
{
    return m_tables;
}

bool Root::Start(const QString &DataBase,
                 const QString &DBStructFile,
                 QString &ErrString,
                 const QString &UserName,
                 const QString &Password)
{
    if (Connection::Current() != nullptr) {
        ErrString = QStringLiteral("Модуль Rollstrake.dll уже запущен!");
        return false;
    }
    if (!Connection::OpenDataBase(DataBase, UserName, Password, ErrString)) {
        return false;
    }
    Started() = shared_from_this();
    static const bool closesAtExit = [] {
        qAddPostRoutine(&Root::Shutdown);
        return true;
    }();
    Q_UNUSED(closesAtExit);
    if (SchemaReader::LoadDBStructFile(*m_tables, DBStructFile, ErrString) && m_tables->CheckDBStructure(ErrString)
        && m_tables->SavePresetValues(ErrString)) {
        return true;
    }
    Started().reset();
    return false;
}

void Root::Shutdown()
{
    Started().reset();
    Connection::Release();
}

std::shared_ptr<Root> Root::StartedRoot()
{
    return Started();
}

QString Root::DataBaseInUse()
{
    return Connection::Current() != nullptr ? Connection::Current()->DataBaseInUse() : QString();
}

bool Root::DataSourceMisnamed()
{
    return Connection::Current() != nullptr && Connection::Current()->DataSourceMisnamed();
}

void Root::SetDeleteErrorHandler(std::function<void(const QString &, const QString &)> handler)
{
    DeleteErrorHandler() = std::move(handler);
}

void Root::ReportDeleteError(const QString &text)
{
    const QString title = QStringLiteral("Rollstrake");
    if (DeleteErrorHandler()) {
        DeleteErrorHandler()(text, title);
    } else {
        LogWarning(text);
    }
}

void Root::ForgetCaches()
{
    if (Started()) {
        Started()->Tables()->ForgetCaches();
    }
}

bool Root::IsConnectionLost()
{
    return Connection::Current() != nullptr && Connection::Current()->IsLost();
}

bool Root::Reconnect(bool Force, QString &ErrString)
{
    // No connection at all is none lost.
    return Connection::Current() == nullptr || Connection::Current()->Reconnect(Force, ErrString);
}

void Root::SetConnectionStateHandler(std::function<void(bool Lost, const QString &Text)> handler)
{
    Connection::SetStateHandler(std::move(handler));
}
} // namespace Rollstrake
