#include "statistics/exportfile.h"

#include "statistics/odtwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

QString ExportFilePath(const QString &Folder, const QString &Title, const QDateTime &Moment)
{
    const QString stem = Title + QLatin1Char(' ') + Moment.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const QDir folder(Folder);
    QString path = folder.filePath(stem + QStringLiteral(".odt"));
    for (int copy = 2; QFileInfo::exists(path); ++copy) {
        path = folder.filePath(stem + QStringLiteral(" (") + QString::number(copy) + QStringLiteral(").odt"));
    }
    return path;
}

bool SaveExport(const OdtWriter &Writer,
                const QString &Folder,
                const QString &Title,
                const QDateTime &Moment,
                QString &Path,
                QString &ErrString)
{
    if (!QDir().mkpath(Folder)) {
        ErrString = QStringLiteral("не удалось создать папку '") + QDir::toNativeSeparators(Folder) + QLatin1Char('\'');
        return false;
    }
    // The document is made in memory first: its writer closes the device it is given.
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    if (!Writer.Write(&document, ErrString)) {
        return false;
    }
    Path = ExportFilePath(Folder, Title, Moment);
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly)) {
        ErrString = QStringLiteral("не удалось создать файл '") + QDir::toNativeSeparators(Path) + QStringLiteral("': ")
                    + file.errorString();
        return false;
    }
    if (file.write(document.data()) != document.data().size() || !file.commit()) {
        ErrString = QStringLiteral("не удалось записать файл '") + QDir::toNativeSeparators(Path)
                    + QStringLiteral("': ") + file.errorString();
        return false;
    }
    return true;
}
