#pragma once

#include "core/mainlog.h"
#include "core/settingsstore.h"
#include "datafolder.h"
#include "entitylib.h"

#include <QTemporaryDir>

#include <memory>

// The program's database for a benchmark: an SQLite file with the system's schema in Folder (also
// the data folder), its main log open and its default settings written, as the program starts.
inline std::shared_ptr<Rollstrake::Root> StartBenchDatabase(const QTemporaryDir &Folder)
{
    DataFolder::SetDataFolder(Folder.path());
    auto root = Rollstrake::Root::Create();
    QString error;
    if (!root->Start(Folder.filePath(QStringLiteral("bench.sqlite")),
                     QStringLiteral(QUILLMARSH_SCHEMA_FILE),
                     error,
                     QString(),
                     QString())) {
        qFatal("start failed: %s", qPrintable(error));
    }
    InitMainLog();
    SetDefaultSettings();
    return root;
}
