#pragma once

#include <QString>

// Where the program writes its files (the main log, the proxy and connection logs, the socket dump,
// the embedded database): the program's own folder when it is writable, else the user's
// application data folder. Tests point it at a temporary folder with SetDataFolder.
namespace DataFolder
{
QString Path();
// The file name joined to the data folder.
QString FilePath(const QString &fileName);
void SetDataFolder(const QString &path);
} // namespace DataFolder
