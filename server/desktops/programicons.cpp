#include "desktops/programicons.h"

#include "core/mainlog.h"
#include "desktops/iconimage.h"
#include "desktops/pagedfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>

// The fallback pictures live in the layer's resources, which a static library must register itself.
static void InitDesktopImages()
{
    Q_INIT_RESOURCE(desktops);
}

namespace
{
const QString ActiveFallback = QStringLiteral("QuestionActive");
const QString PassiveFallback = QStringLiteral("QuestionPassive");

struct Cache
{
    QHash<QString, ProgramIcon> Icons;
    QSet<QString> Reported;
};

Cache &Kept()
{
    static Cache cache;
    return cache;
}

bool EndsWith(const QString &Path, const QString &Extension)
{
    return Path.endsWith(Extension, Qt::CaseInsensitive);
}

// The key of one decoding: the same file unchanged, at the same side and look, decodes the same.
QString CacheKey(const QString &File, int Side, bool Grey)
{
    const QFileInfo info(File);
    const qint64 stamp = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    const qint64 size = info.exists() ? info.size() : -1;
    return QStringLiteral("%1|%2|%3|%4|").arg(stamp).arg(size).arg(Side).arg(Grey ? 1 : 0) + File;
}

// The picture of an icon file or executable, read from a bounded copy of its parts; a file that is
// not a plain file (a folder, a pipe that would block the read) is refused before it is opened.
QImage DecodeFile(const QString &File, int Side, QString &Reason)
{
    const QFileInfo info(File);
    if (File.isEmpty() || !info.isFile()) {
        Reason = QStringLiteral("файл не найден");
        return {};
    }
    PagedFile file(File);
    if (!file.Open(Reason)) {
        return {};
    }
    const QImage image = IconImage::DecodeIconFile(file, Side, Reason);
    // A file that shrank under the reader fails on whatever it reached first: the cause is this.
    if (image.isNull() && !file.ErrorString().isEmpty()) {
        Reason = file.ErrorString();
    }
    return image;
}

ProgramIcon Failure(const QString &File, const QString &Message, const QString &Reason, int Side, bool Grey)
{
    ProgramIcon icon;
    icon.Fallback = Grey ? PassiveFallback : ActiveFallback;
    icon.Image = ProgramIcons::FallbackImage(icon.Fallback, Side);
    icon.ErrText = Message + File + QStringLiteral("'!");
    icon.Reason = Reason;
    return icon;
}

ProgramIcon Decode(const QString &File, int Side, bool Grey)
{
    QString reason;
    const QImage colour = DecodeFile(File, Side, reason);
    if (colour.isNull()) {
        return Failure(File, QStringLiteral("Ошибка загрузки иконки из файла '"), reason, Side, Grey);
    }
    ProgramIcon icon;
    icon.Source = File;
    icon.Image = Grey ? IconImage::GreyCopy(colour) : colour;
    if (icon.Image.isNull()) {
        return Failure(File,
                       QStringLiteral("Ошибка создания чёрно-белого варианта иконки из файла '"),
                       QStringLiteral("не хватает памяти"),
                       Side,
                       Grey);
    }
    return icon;
}

ProgramIcon CachedDecode(const QString &File, int Side, bool Grey)
{
    const QString key = CacheKey(File, Side, Grey);
    const auto found = Kept().Icons.constFind(key);
    if (found != Kept().Icons.constEnd()) {
        return *found;
    }
    ProgramIcon icon = Decode(File, Side, Grey);
    Kept().Icons.insert(key, icon);
    return icon;
}
} // namespace

ProgramIcon ProgramIcons::Load(const QString &Path, const QString &IconPath, int Side, bool Grey)
{
    if (EndsWith(IconPath, QStringLiteral("ico"))) {
        const ProgramIcon icon = CachedDecode(IconPath, Side, Grey);
        // A broken icon file is not reported: the program's own icon is tried instead.
        if (icon.Fallback.isEmpty()) {
            return icon;
        }
    }
    return CachedDecode(EndsWith(IconPath, QStringLiteral("exe")) ? IconPath : Path, Side, Grey);
}

QImage ProgramIcons::FallbackImage(const QString &Key, int Side)
{
    static const bool initialised = (InitDesktopImages(), true);
    Q_UNUSED(initialised);
    const QString name = Key == PassiveFallback ? QStringLiteral(":/desktops/questionpassive.png")
                                                : QStringLiteral(":/desktops/questionactive.png");
    const QImage image(name);
    return image.scaled(Side, Side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void ProgramIcons::ReportFailure(const ProgramIcon &Icon)
{
    if (Icon.ErrText.isEmpty() || MainLog().FileName().isEmpty() || Kept().Reported.contains(Icon.ErrText)) {
        return;
    }
    Kept().Reported.insert(Icon.ErrText);
    MainLog().Log(Icon.ErrText, Logger::KindError);
}

void ProgramIcons::Reset()
{
    Kept().Icons.clear();
    Kept().Reported.clear();
}
