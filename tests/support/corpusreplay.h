#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <functional>

// Runs Check over every file of a fuzz target's corpus: the inputs it found, or that once broke
// the code, stay checked by the regular suites. False with the file's name and the reason in
// Failure; an empty or missing corpus is a failure too.
inline bool
ReplayCorpus(const QString &Folder, const std::function<bool(const QByteArray &, QString &)> &Check, QString &Failure)
{
    const QDir corpus(Folder);
    const QStringList files = corpus.entryList(QDir::Files);
    if (files.isEmpty()) {
        Failure = QStringLiteral("no corpus in ") + Folder;
        return false;
    }
    for (const QString &name : files) {
        QFile file(corpus.filePath(name));
        QString reason;
        if (!file.open(QIODevice::ReadOnly)) {
            Failure = name + QStringLiteral(": ") + file.errorString();
            return false;
        }
        if (!Check(file.readAll(), reason)) {
            Failure = name + QStringLiteral(": ") + reason;
            return false;
        }
    }
    return true;
}
