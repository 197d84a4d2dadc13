#include "datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder
{
namespace
{
QString &Override()
{
    static QString path;
    return path;
}

QString Resolve()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty() && QFileInfo(programFolder).isWritable()) {
        return programFolder;
    }
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(appData);
    return appData;
}
} // namespace

QString Path()
{
    if (!Override().isEmpty()) {
        return Override();
    }
    static const QString resolved = Resolve();
    return resolved;
}

QString FilePath(const QString &fileName)
{
    return QDir(Path()).filePath(fileName);
}

void SetDataFolder(const QString &path)
{
    Override() = path;
}
} // namespace DataFolder
