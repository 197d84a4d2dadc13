#pragma once

#include "quillmarsh_common_export.h"

#include <QString>

// A text log: one object per file, one line per event. The file is opened and closed for every line
// so that it can be read, copied or deleted while the program runs. A log never reports a failure to
// write: a line that cannot be written is dropped, and LastError tells why.
//
// Line: "dd/MM/yyyy hh:mm:ss", a blank, "!" for kind 0 (error) or "i" for any other kind, a blank,
// the text unchanged, CR LF. The first line of a run is "Запуск"; destroying a bound logger writes
// "Выход" followed by an empty line.
class QUILLMARSH_COMMON_EXPORT Logger final
{
public:
    // Kinds of line: an error, or anything else (information).
    static constexpr qint32 KindError = 0;
    static constexpr qint32 KindInformation = 1;

    Logger() = default;
    ~Logger();
    Logger(const Logger &) = delete;
    Logger &operator=(const Logger &) = delete;

    // Binds the log to a file (created empty when missing) and writes the start line. False, and the
    // log stays unbound, when a missing file cannot be created; LastError then says why.
    bool Init(const QString &FileName);

    // Appends one line; nothing when the log is unbound.
    void Log(const QString &Text, qint32 Kind);

    // The bound file's full path; empty until Init.
    QString FileName() const;
    void SetFileName(const QString &FileName);

    // Why the last Init failed or the last line was dropped, in Russian; empty once a line is
    // written.
    const QString &LastError() const;

private:
    QString m_fileName;
    QString m_lastError;
};
