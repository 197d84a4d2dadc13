#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

// Icon files and executables built byte by byte, as the suites and the fuzzer's seeds need them.
namespace TestIcons
{
// One image of an icon file: a square of one colour.
struct Image
{
    int Side = 32;
    QColor Colour = Qt::red;
    // 8 (a palette) or 32 bits a pixel for a bitmap; 0 for a PNG.
    int Bits = 32;
};

// An icon file with the images in order.
QByteArray Ico(const QList<Image> &Images);

// A Windows executable (PE32, or PE32+ when Wide) whose resources hold one icon group per icon
// file given, in order (identifiers 1, 2, ...), and their images (identifiers from 1 on).
QByteArray Executable(const QList<QByteArray> &Groups, bool Wide = false);

// An executable shaped to make a careless reader slow: one icon group of GroupEntries entries that
// name Images tiny PNG icons in turn, each icon's language directory claiming LanguageEntries
// entries, behind Sections section headers of which the resources' own is the last. Read well, it
// shows a red picture.
QByteArray CraftedExecutable(int GroupEntries, int LanguageEntries, int Sections, int Images = 1);

// Writes Bytes as the whole file at Path; false when it cannot.
bool WriteFile(const QString &Path, const QByteArray &Bytes);

// Where the resource directory of Executable starts in the file, for tests that damage it.
constexpr qsizetype ResourceOffset = 0x200;
} // namespace TestIcons
