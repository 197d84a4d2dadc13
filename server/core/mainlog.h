#pragma once

#include "logger.h"

#include <QString>

#include <map>
#include <memory>

// The program's logs: the main log "qmmain.log" in the data folder and, when the program runs with
// "-log", one log per connection of the internet proxy ("ProxyLog/Proxy<n>.log") and of the socket
// control ("wslog/qmwscon<n>.log"), kept under the key "C<n>" for the whole run.

// Per-connection logs by key "C<connection number>".
using LoggerCollection = std::map<QString, std::shared_ptr<Logger>>;

// The main log, created unbound on first use (and again after ReleaseMainLog; its lines are then lost).
Logger &MainLog();

// Writes one line to the main log, an error or information; true once it is written.
bool WriteMainLog(const QString &Text, bool IsError);

// Binds the main log to "qmmain.log" in the data folder. On failure shows the critical box
// "Невозможно создать файл лога 'qmmain.log'!" titled "Ошибка!" and returns false.
bool InitMainLog();

// Releases the main log: its exit line is written.
void ReleaseMainLog();

// True when the per-connection logs are written (the "-log" switch).
bool LoggingEnabled();
void SetLoggingEnabled(bool enabled);

LoggerCollection &ProxyLogs();
LoggerCollection &ConnectionLogs();

// Releases both per-connection collections: every file gets its exit line.
void ReleaseConnectionLogs();

// One line of a proxy connection's trace; EventType 1 is an error. Ignored unless LoggingEnabled.
void LogProxyEvent(const QString &Text, qint32 EventType, qint32 ConnectionID);

// One line of a socket-control connection's trace; EventType 1 is an error. Ignored unless LoggingEnabled.
void LogConnectionEvent(const QString &Text, qint32 EventType, qint32 ConnectionID);
