#include "textfiles.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int BusyPauseMs = 3000;
constexpr int RetryAttempts = 100;
// New files and folders get every permission that the user's umask leaves.
constexpr mode_t NewFileMode = 0666;
constexpr mode_t NewFolderMode = 0777;

QString ErrorDescription(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Отказано в доступе");
    case ENOENT:
        return QStringLiteral("Путь не найден");
    case EWOULDBLOCK:
        return QStringLiteral("Файл занят другим процессом");
    case EISDIR:
        return QStringLiteral("Это папка, а не файл");
    case ENOTDIR:
        return QStringLiteral("Часть пути не является папкой");
    case ENOSPC:
        return QStringLiteral("Нет места на диске");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QByteArray Native(const QString &name)
{
    return QFile::encodeName(name);
}

bool IsBusy(int error)
{
    return error == EWOULDBLOCK || error == EBUSY || error == ETXTBSY;
}

// Opens and locks FileName; a file that is not appended to is emptied only once the lock is held.
// Result: the descriptor, or -1 with the error number in error.
int OpenLocked(const QString &FileName, bool Append, int &error)
{
    const int fd =
        ::open(Native(FileName).constData(), O_WRONLY | O_CREAT | O_CLOEXEC | (Append ? O_APPEND : 0), NewFileMode);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || (!Append && ::ftruncate(fd, 0) != 0)) {
        error = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

// The pause between two attempts on a busy file; other events of the program run meanwhile.
void PauseBeforeRetry()
{
    if (QCoreApplication::instance() == nullptr) {
        QThread::msleep(BusyPauseMs);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(BusyPauseMs, &loop, &QEventLoop::quit);
    loop.exec();
}

qint16 OpenFailed(const QString &FileName, const QString &description, QString &ErrString, bool &Backup)
{
    ErrString = QStringLiteral("Ошибка открытия файла '") + FileName + QStringLiteral("' на запись: ") + description;
    // The backup goes back in place; when even that fails, the caller learns that only the backup
    // holds the old content.
    if (Backup) {
        QString restoreError;
        if (RestoreBackupFile(FileName, restoreError)) {
            Backup = false;
        } else {
            ErrString += QStringLiteral("\r\n") + restoreError;
        }
    }
    return FileOpenFailed;
}

bool WriteAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno != EINTR) {
            return false;
        }
        done += written > 0 ? written : 0;
    }
    return true;
}

// One folder of a path: kept when it is there, created when missing.
bool MakeFolder(const QString &folder, int &error)
{
    struct stat info
    {
    };

    if (::stat(Native(folder).constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return true;
        }
        error = ENOTDIR;
        return false;
    }
    if (::mkdir(Native(folder).constData(), NewFolderMode) != 0 && errno != EEXIST) {
        error = errno;
        return false;
    }
    return true;
}
} // namespace

qint16 OpenFileForWrite(const QString &FileName,
                        std::unique_ptr<QFile> &File,
                        QString &ErrString,
                        bool Append,
                        bool &Backup,
                        bool Retry,
                        bool RetryOnAnyError)
{
    File.reset();
    Backup = Backup && !Append && QFileInfo::exists(FileName);
    if (Backup && !MakeBackupFile(FileName, ErrString)) {
        Backup = false;
        return FileBusy;
    }
    // A file that exists and would be emptied is not waited for: its holder is still using it.
    const bool replacing = !Append && !Backup && QFileInfo::exists(FileName);
    const int attempts = Retry ? RetryAttempts : 1;
    for (int attempt = 1;; ++attempt) {
        int error = 0;
        const int fd = OpenLocked(FileName, Append, error);
        if (fd >= 0) {
            auto file = std::make_unique<QFile>(FileName);
            const QIODevice::OpenMode mode = Append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly;
            if (!file->open(fd, mode, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                return OpenFailed(FileName, file->errorString(), ErrString, Backup);
            }
            File = std::move(file);
            return FileOpened;
        }
        const bool busy = IsBusy(error);
        if ((busy && replacing) || (!busy && !RetryOnAnyError)) {
            return OpenFailed(FileName, ErrorDescription(error), ErrString, Backup);
        }
        if (attempt >= attempts) {
            break;
        }
        PauseBeforeRetry();
    }
    ErrString = QStringLiteral("Файл '") + FileName + QStringLiteral("' заблокирован!");
    return FileBusy;
}

bool WriteTextFile(const QString &FileName, const QString &Text, QString &ErrString)
{
    return WriteTextFile(FileName, Text.toUtf8(), ErrString);
}

bool WriteTextFile(const QString &FileName, const QByteArray &Utf8Text, QString &ErrString)
{
    const int fd = ::open(Native(FileName).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, NewFileMode);
    if (fd < 0) {
        ErrString = ErrorDescription(errno);
        return false;
    }
    const QByteArray lineEnd("\r\n");
    bool ok = WriteAll(fd, Utf8Text) && WriteAll(fd, lineEnd)
              && ::ftruncate(fd, static_cast<off_t>(Utf8Text.size() + lineEnd.size())) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    ErrString = ok ? QString() : ErrorDescription(error);
    return ok;
}

bool CreateEmptyFile(const QString &FileName, QString &ErrString)
{
    const int fd = ::open(Native(FileName).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, NewFileMode);
    if (fd < 0 || ::close(fd) != 0) {
        ErrString = ErrorDescription(errno);
        return false;
    }
    ErrString.clear();
    return true;
}

FilePatch
PatchFileTail(const QString &FileName, qint64 OldSize, qint64 Offset, const QByteArray &Tail, QString &ErrString)
{
    const int fd = ::open(Native(FileName).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return FilePatch::Stale;
    }

    struct stat info
    {
    };

    if (::fstat(fd, &info) != 0 || info.st_size != OldSize || Offset < 0 || Offset > OldSize) {
        ::close(fd);
        return FilePatch::Stale;
    }
    bool ok = true;
    qsizetype done = 0;
    while (ok && done < Tail.size()) {
        const ssize_t written = ::pwrite(fd,
                                         Tail.constData() + done,
                                         static_cast<size_t>(Tail.size() - done),
                                         static_cast<off_t>(Offset + done));
        if (written < 0 && errno != EINTR) {
            ok = false;
        }
        done += written > 0 ? written : 0;
    }
    ok = ok && ::ftruncate(fd, static_cast<off_t>(Offset + Tail.size())) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ErrString = ErrorDescription(error);
        return FilePatch::Failed;
    }
    return FilePatch::Patched;
}

QString GetBackupFileName(const QString &FileName)
{
    const qsizetype slash = FileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype point = FileName.lastIndexOf(QLatin1Char('.'));
    if (point > slash) {
        return FileName.left(point + 1) + QStringLiteral("bak");
    }
    return FileName + QStringLiteral(".bak");
}

bool MakeBackupFile(const QString &FileName, QString &ErrString)
{
    const QString backup = GetBackupFileName(FileName);
    // "x.bak" is its own backup name: renaming it onto itself would later empty the only copy.
    if (backup == FileName) {
        ErrString = QStringLiteral("Ошибка создания BAK-файла: файл '") + FileName
                    + QStringLiteral("' сам является BAK-файлом");
        return false;
    }
    if (::rename(Native(FileName).constData(), Native(backup).constData()) != 0) {
        ErrString = QStringLiteral("Ошибка создания BAK-файла: ") + ErrorDescription(errno);
        return false;
    }
    return true;
}

bool RestoreBackupFile(const QString &FileName, QString &ErrString)
{
    const QString backup = GetBackupFileName(FileName);
    if (!QFileInfo::exists(backup)) {
        ErrString = QStringLiteral("Файл '") + backup + QStringLiteral("' не найден!");
        return false;
    }
    if (::rename(Native(backup).constData(), Native(FileName).constData()) != 0) {
        ErrString = QStringLiteral("Ошибка восстановления файла '") + FileName + QStringLiteral("' из BAK-файла: ")
                    + ErrorDescription(errno);
        return false;
    }
    return true;
}

bool MakeDirectoryPath(const QString &Path, QString &ErrText)
{
    int error = ENOENT;
    bool ok = !Path.isEmpty();
    for (qsizetype slash = Path.indexOf(QLatin1Char('/')); ok && slash >= 0;
         slash = Path.indexOf(QLatin1Char('/'), slash + 1)) {
        ok = slash == 0 || MakeFolder(Path.left(slash), error);
    }
    if (ok && !Path.endsWith(QLatin1Char('/'))) {
        ok = MakeFolder(Path, error);
    }
    if (!ok) {
        ErrText = QStringLiteral("Ошибка создания папки '") + Path + QStringLiteral("': ") + ErrorDescription(error);
    }
    return ok;
}
