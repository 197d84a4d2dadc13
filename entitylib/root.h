#pragma once

#include "tables.h"

#include <QString>

#include <functional>
#include <memory>

namespace Rollstrake
{
// The entry of the library: opens the database, reads the schema-description file and makes the
// database match it. One Root is started per process; it then stays alive for the whole run.
class Root : public std::enable_shared_from_this<Root>
{
public:
    static std::shared_ptr<Root> Create();
    ~Root();
    Root(const Root &) = delete;
    Root &operator=(const Root &) = delete;

    // The schema's tables; the same object on every call.
    const std::shared_ptr<Rollstrake::Tables> &Tables() const;
    // Opens the data source DataBase (an ODBC data source name, else an embedded SQLite database),
    // reads DBStructFile, creates missing tables and columns and writes the preset rows. False with
    // a Russian message in ErrString; only the first Start of a process can succeed.
    bool Start(const QString &DataBase,
               const QString &DBStructFile,
               QString &ErrString,
               const QString &UserName,
               const QString &Password);

    // Releases the started root and closes the connection, so that a new Root can start (the end
    // of the run, or a test that starts again).
    static void Shutdown();
    // The Root whose Start opened the connection and succeeded so far, or null.
    static std::shared_ptr<Root> StartedRoot();
    // Receives the text and title of a failed delete (the program shows a message box); without a
    // handler the text goes to the warning log.
    static void SetDeleteErrorHandler(std::function<void(const QString &text, const QString &title)> handler);
    static void ReportDeleteError(const QString &text);
    // Drops the record caches of the started root's tables.
    static void ForgetCaches();

private:
    Root();

    std::shared_ptr<Rollstrake::Tables> m_tables;
};
} // namespace Rollstrake
