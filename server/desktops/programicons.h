#pragma once

#include <QImage>
#include <QString>

// What a shortcut tile shows for its program: the icon of its icon file or of its program, in
// colour or grey, or a fallback picture with the failure's message.
struct ProgramIcon
{
    QImage Image;
    // The file whose icon is shown; empty when the fallback picture is.
    QString Source;
    // "QuestionActive" or "QuestionPassive" when the fallback picture is shown, else empty.
    QString Fallback;
    // The line for the main log when the icon failed ("Ошибка загрузки иконки из файла '…'!").
    QString ErrText;
    // Why it failed, for the curious: the damaged structure or the missing file.
    QString Reason;
};

// The icon rule of the shortcut tiles. Paths are those of the client computers, tried on the server
// as they are: a file that cannot be opened here is a failure like any other. Decoded pictures are
// kept per file, modification time, size, side and grey state, so asking again reads no file.
namespace ProgramIcons
{
// The icon for a tile of Side pixels: an IconPath ending in "ico" (any case) when that file loads;
// otherwise the first icon of IconPath when it ends in "exe", else of Path; otherwise the fallback
// picture for an enabled or a disabled tile. Grey gives the black-and-white copy.
ProgramIcon Load(const QString &Path, const QString &IconPath, int Side, bool Grey);

// The fallback picture "QuestionActive" or "QuestionPassive" at Side pixels.
QImage FallbackImage(const QString &Key, int Side);

// Writes the failure's line to the main log (when it is open) the first time in the run.
void ReportFailure(const ProgramIcon &Icon);

// Forgets the kept pictures and the failures already logged (a test starting afresh).
void Reset();
} // namespace ProgramIcons
