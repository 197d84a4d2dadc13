#pragma once

#include "datafolder.h"

#include <QFile>
#include <QString>
#include <QStringList>

// The main log "qmmain.log" of the data folder as the suites read it.

inline QString MainLogText()
{
    QFile file(DataFolder::FilePath(QStringLiteral("qmmain.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Its lines that are not empty, each without its time stamp ("dd/MM/yyyy hh:mm:ss "): "i Запуск".
inline QStringList MainLogEntries()
{
    constexpr qsizetype StampLength = 20;
    QStringList entries;
    for (const QString &line : MainLogText().split(QStringLiteral("\r\n"))) {
        if (!line.isEmpty()) {
            entries.append(line.mid(StampLength));
        }
    }
    return entries;
}
