#pragma once

#include "quillmarsh_common_export.h"

#include <QString>

// Where the program writes its files (the main log, the proxy and connection logs, the socket dump,
// the embedded database): the program's own folder when it is writable, else the user's
// application data folder. Tests point it at a temporary folder with SetDataFolder.
namespace DataFolder
{
QUILLMARSH_COMMON_EXPORT QString Path();
// The file name joined to the data folder.
QUILLMARSH_COMMON_EXPORT QString FilePath(const QString &fileName);
QUILLMARSH_COMMON_EXPORT void SetDataFolder(const QString &path);
} // namespace DataFolder
