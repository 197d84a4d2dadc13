#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QString>

class FileBytes;

// The images of icon files: the ICO directory and each image's own header are checked before
// Qt's ICO reader sees the bytes, which then get one image the checks passed, rebuilt as an icon
// file of its own. Widget-free; what an executable holds comes through PeIconReader.
namespace IconImage
{
// Icons are at most this wide and high.
constexpr int MaxSide = 256;
// The largest icon file that is read.
constexpr qsizetype MaxIcoFileBytes = 16 * 1024 * 1024;

// One image of an icon file, as its directory entry and its own header describe it.
struct IcoEntry
{
    int Width = 0;
    int Height = 0;
    // Bits per pixel; 32 for a PNG image whose entry does not say.
    int Depth = 0;
    qsizetype Offset = 0;
    qsizetype Size = 0;
    bool Png = false;
};

// The images of an ICO file whose bytes lie inside the file and hold either a PNG of at most
// MaxSide × MaxSide or a complete bitmap (40-byte header, uncompressed, 1, 4, 8, 24 or 32 bits,
// a full palette up to 8 bits, the colour rows and the mask rows); other entries are left out.
// False with the reason when the directory is damaged or no image passes.
bool ReadIcoDirectory(QByteArrayView Ico, QList<IcoEntry> &Entries, QString &ErrString);

// The index of the image whose width is closest to Side; ties go to the deeper colour, then to the
// larger image, then to the first. -1 for none.
qsizetype ChooseIcoEntry(const QList<IcoEntry> &Entries, int Side);

// The image of the icon file closest to Side, decoded and scaled smoothly into Side × Side
// (transparent around a picture that is not square). Null with the reason in ErrString.
QImage DecodeIco(QByteArrayView Ico, int Side, QString &ErrString);

// The icon of a file's bytes: an executable's first icon or an icon file's picture (an icon file
// above MaxIcoFileBytes is refused), as DecodeIco.
QImage DecodeIconFile(FileBytes &File, int Side, QString &ErrString);
QImage DecodeIconFile(QByteArrayView File, int Side, QString &ErrString);

// The black-and-white look of a disabled tile: every pixel in its grey, and what is more than
// half transparent stays fully transparent.
QImage GreyCopy(const QImage &Colour);
} // namespace IconImage
