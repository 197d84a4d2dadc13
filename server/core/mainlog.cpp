#include "core/mainlog.h"

#include "core/errorbox.h"
#include "datafolder.h"
#include "generalhelpers.h"
#include "textfiles.h"

#include <QSet>

namespace
{
// The logs outlive static destruction on purpose: they are released by the program's unload, and a
// log released during static destruction could outlive the clock it reads.
std::unique_ptr<Logger> &MainLogHolder()
{
    static auto *log = new std::unique_ptr<Logger>();
    return *log;
}

bool &LoggingFlag()
{
    static bool enabled = false;
    return enabled;
}

// Writes to the log of one connection, making its folder and file the first time. A line whose
// folder or file cannot be made is dropped and nothing is kept, so the next line tries again; the
// main log says why once per file.
void LogToConnection(LoggerCollection &logs,
                     const QString &folderName,
                     const QString &filePrefix,
                     const QString &Text,
                     qint32 EventType,
                     qint32 ConnectionID)
{
    if (!LoggingEnabled()) {
        return;
    }
    const QString key = MakeItemKey(ConnectionID);
    std::shared_ptr<Logger> log = GetCollectionItem(logs, key);
    if (!log) {
        const QString folder = DataFolder::FilePath(folderName);
        const QString fileName =
            folder + QLatin1Char('/') + filePrefix + QString::number(ConnectionID) + QStringLiteral(".log");
        QString error;
        auto created = std::make_shared<Logger>();
        if (!MakeDirectoryPath(folder, error) || !created->Init(fileName)) {
            if (error.isEmpty()) {
                error = created->LastError();
            }
            static QSet<QString> reported;
            if (!reported.contains(fileName)) {
                reported.insert(fileName);
                MainLog().Log(QStringLiteral("Невозможно создать файл лога '") + fileName + QStringLiteral("'")
                                  + (error.isEmpty() ? QString() : QStringLiteral(": ") + error),
                              Logger::KindError);
            }
            return;
        }
        log = logs[key] = created;
    }
    log->Log(Text, EventType == 1 ? Logger::KindError : Logger::KindInformation);
}
} // namespace

Logger &MainLog()
{
    if (!MainLogHolder()) {
        MainLogHolder() = std::make_unique<Logger>();
    }
    return *MainLogHolder();
}

bool WriteMainLog(const QString &Text, bool IsError)
{
    MainLog().Log(Text, IsError ? Logger::KindError : Logger::KindInformation);
    return MainLog().LastError().isEmpty();
}

bool InitMainLog()
{
    const QString name = QStringLiteral("qmmain.log");
    if (MainLog().Init(DataFolder::FilePath(name))) {
        return true;
    }
    ShowBox(BoxIcon::Critical,
            QStringLiteral("Ошибка!"),
            QStringLiteral("Невозможно создать файл лога '") + name + QStringLiteral("'!"));
    return false;
}

void ReleaseMainLog()
{
    MainLogHolder().reset();
}

bool LoggingEnabled()
{
    return LoggingFlag();
}

void SetLoggingEnabled(bool enabled)
{
    LoggingFlag() = enabled;
}

LoggerCollection &ProxyLogs()
{
    static auto *logs = new LoggerCollection();
    return *logs;
}

LoggerCollection &ConnectionLogs()
{
    static auto *logs = new LoggerCollection();
    return *logs;
}

void ReleaseConnectionLogs()
{
    ConnectionLogs().clear();
    ProxyLogs().clear();
}

void LogProxyEvent(const QString &Text, qint32 EventType, qint32 ConnectionID)
{
    LogToConnection(ProxyLogs(), QStringLiteral("ProxyLog"), QStringLiteral("Proxy"), Text, EventType, ConnectionID);
}

void LogConnectionEvent(const QString &Text, qint32 EventType, qint32 ConnectionID)
{
    LogToConnection(ConnectionLogs(),
                    QStringLiteral("wslog"),
                    QStringLiteral("qmwscon"),
                    Text,
                    EventType,
                    ConnectionID);
}
