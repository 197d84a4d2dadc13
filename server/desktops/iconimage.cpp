#include "desktops/iconimage.h"

#include "desktops/memorybytes.h"
#include "desktops/peiconreader.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace
{
using IconImage::IcoEntry;

constexpr qsizetype DirectoryHeaderSize = 6;
constexpr qsizetype EntrySize = 16;
constexpr quint16 IconResourceType = 1;
constexpr qsizetype EntryBitCountField = 6;
constexpr qsizetype EntryBytesField = 8;
constexpr qsizetype EntryOffsetField = 12;

constexpr char PngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qsizetype PngSignatureSize = sizeof(PngSignature) - 1;
constexpr qsizetype PngWidthField = 16;
constexpr qsizetype PngHeightField = 20;
constexpr qsizetype PngHeaderEnd = 24;
constexpr int PngDefaultDepth = 32;

constexpr qsizetype BitmapHeaderSize = 40;
constexpr qsizetype BitmapWidthField = 4;
constexpr qsizetype BitmapHeightField = 8;
constexpr qsizetype BitmapBitCountField = 14;
constexpr qsizetype BitmapCompressionField = 16;
constexpr qsizetype BitmapColoursField = 32;
constexpr qsizetype PaletteEntrySize = 4;
constexpr int MaxPaletteBits = 8;

constexpr char DosSignature[] = "MZ";
constexpr int TransparentBelow = 128;

quint16 U16(QByteArrayView Bytes, qsizetype Offset)
{
    return qFromLittleEndian<quint16>(Bytes.data() + Offset);
}

quint32 U32(QByteArrayView Bytes, qsizetype Offset)
{
    return qFromLittleEndian<quint32>(Bytes.data() + Offset);
}

qint64 RowBytes(qint64 Width, qint64 Bits)
{
    return (Width * Bits + 31) / 32 * 4;
}

bool ReadPng(QByteArrayView Image, IcoEntry &Entry)
{
    if (Image.size() < PngHeaderEnd || Image.first(PngSignatureSize) != QByteArrayView(PngSignature)) {
        return false;
    }
    const quint32 width = qFromBigEndian<quint32>(Image.data() + PngWidthField);
    const quint32 height = qFromBigEndian<quint32>(Image.data() + PngHeightField);
    if (width == 0 || height == 0 || width > IconImage::MaxSide || height > IconImage::MaxSide) {
        return false;
    }
    Entry.Png = true;
    Entry.Width = int(width);
    Entry.Height = int(height);
    Entry.Depth = Entry.Depth > 0 ? Entry.Depth : PngDefaultDepth;
    return true;
}

bool ReadBitmap(QByteArrayView Image, IcoEntry &Entry)
{
    if (Image.size() < BitmapHeaderSize || U32(Image, 0) != BitmapHeaderSize) {
        return false;
    }
    const qint32 width = qint32(U32(Image, BitmapWidthField));
    const qint32 doubledHeight = qint32(U32(Image, BitmapHeightField));
    const int bits = U16(Image, BitmapBitCountField);
    if (width < 1 || width > IconImage::MaxSide || doubledHeight < 2 || doubledHeight > 2 * IconImage::MaxSide
        || doubledHeight % 2 != 0 || U32(Image, BitmapCompressionField) != 0) {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return false;
    }
    const qint64 height = doubledHeight / 2;
    // Qt's reader reads as many palette entries as the header names: every index must have one.
    qint64 colours = 0;
    if (bits <= MaxPaletteBits) {
        colours = qint64(1) << bits;
        const quint32 used = U32(Image, BitmapColoursField);
        if (used != 0 && used != colours) {
            return false;
        }
    }
    const qint64 needed =
        BitmapHeaderSize + colours * PaletteEntrySize + RowBytes(width, bits) * height + RowBytes(width, 1) * height;
    if (needed > Image.size()) {
        return false;
    }
    Entry.Png = false;
    Entry.Width = width;
    Entry.Height = int(height);
    Entry.Depth = bits;
    return true;
}

// The one image as an icon file of its own, whose entry agrees with what the checks found.
QByteArray SingleImageIco(QByteArrayView Ico, const IcoEntry &Entry)
{
    QByteArray bytes(DirectoryHeaderSize + EntrySize, '\0');
    char *data = bytes.data();
    qToLittleEndian<quint16>(0, data);
    qToLittleEndian<quint16>(IconResourceType, data + 2);
    qToLittleEndian<quint16>(1, data + 4);
    char *entry = data + DirectoryHeaderSize;
    // 256 is written as 0; the reader then takes the image's own size.
    entry[0] = char(Entry.Width % IconImage::MaxSide);
    entry[1] = char(Entry.Height % IconImage::MaxSide);
    qToLittleEndian<quint16>(1, entry + 4);
    qToLittleEndian<quint16>(quint16(Entry.Depth), entry + EntryBitCountField);
    qToLittleEndian<quint32>(quint32(Entry.Size), entry + EntryBytesField);
    qToLittleEndian<quint32>(quint32(DirectoryHeaderSize + EntrySize), entry + EntryOffsetField);
    bytes.append(Ico.sliced(Entry.Offset, Entry.Size));
    return bytes;
}
} // namespace

bool IconImage::ReadIcoDirectory(QByteArrayView Ico, QList<IcoEntry> &Entries, QString &ErrString)
{
    Entries.clear();
    if (Ico.size() < DirectoryHeaderSize || U16(Ico, 0) != 0 || U16(Ico, 2) != IconResourceType) {
        ErrString = QStringLiteral("файл не является файлом иконок");
        return false;
    }
    const qsizetype count = U16(Ico, 4);
    if (count == 0 || Ico.size() < DirectoryHeaderSize + count * EntrySize) {
        ErrString = QStringLiteral("повреждён каталог файла иконок");
        return false;
    }
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype at = DirectoryHeaderSize + i * EntrySize;
        IcoEntry entry;
        entry.Depth = U16(Ico, at + EntryBitCountField);
        entry.Size = U32(Ico, at + EntryBytesField);
        entry.Offset = U32(Ico, at + EntryOffsetField);
        if (entry.Offset > Ico.size() || entry.Size > Ico.size() - entry.Offset) {
            continue;
        }
        const QByteArrayView image = Ico.sliced(entry.Offset, entry.Size);
        if (ReadPng(image, entry) || ReadBitmap(image, entry)) {
            Entries.append(entry);
        }
    }
    if (Entries.isEmpty()) {
        ErrString = QStringLiteral("в файле иконок нет ни одного целого изображения");
        return false;
    }
    return true;
}

qsizetype IconImage::ChooseIcoEntry(const QList<IcoEntry> &Entries, int Side)
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < Entries.size(); ++i) {
        const IcoEntry &entry = Entries.at(i);
        if (best < 0) {
            best = i;
            continue;
        }
        const IcoEntry &chosen = Entries.at(best);
        const int distance = qAbs(entry.Width - Side);
        const int chosenDistance = qAbs(chosen.Width - Side);
        if (distance != chosenDistance) {
            best = distance < chosenDistance ? i : best;
        } else if (entry.Depth != chosen.Depth) {
            best = entry.Depth > chosen.Depth ? i : best;
        } else if (entry.Width > chosen.Width) {
            best = i;
        }
    }
    return best;
}

QImage IconImage::DecodeIco(QByteArrayView Ico, int Side, QString &ErrString)
{
    QList<IcoEntry> entries;
    if (Side < 1 || !ReadIcoDirectory(Ico, entries, ErrString)) {
        ErrString = ErrString.isEmpty() ? QStringLiteral("недопустимый размер иконки") : ErrString;
        return {};
    }
    const IcoEntry &entry = entries.at(ChooseIcoEntry(entries, Side));
    QByteArray single = SingleImageIco(Ico, entry);
    QBuffer buffer(&single);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        ErrString = QStringLiteral("изображение иконки не читается: ") + reader.errorString();
        return {};
    }
    if (image.width() > MaxSide || image.height() > MaxSide) {
        ErrString = QStringLiteral("изображение иконки больше 256 × 256");
        return {};
    }
    const QImage scaled = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(Side, Side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(Side, Side, QImage::Format_ARGB32_Premultiplied);
    if (scaled.isNull() || square.isNull()) {
        ErrString = QStringLiteral("не хватает памяти для изображения иконки");
        return {};
    }
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((Side - scaled.width()) / 2, (Side - scaled.height()) / 2, scaled);
    return square;
}

QImage IconImage::DecodeIconFile(FileBytes &File, int Side, QString &ErrString)
{
    const auto signature = File.View(0, sizeof(DosSignature) - 1);
    if (signature && *signature == QByteArrayView(DosSignature)) {
        QByteArray ico;
        if (!PeIconReader::ReadFirstIconGroup(File, ico, ErrString)) {
            return {};
        }
        return DecodeIco(ico, Side, ErrString);
    }
    if (File.Size() > MaxIcoFileBytes) {
        ErrString = QStringLiteral("файл иконок больше %1 МиБ").arg(MaxIcoFileBytes / (1024 * 1024));
        return {};
    }
    const auto whole = File.View(0, File.Size());
    if (!whole) {
        ErrString = QStringLiteral("файл иконок не прочитан целиком");
        return {};
    }
    return DecodeIco(*whole, Side, ErrString);
}

QImage IconImage::DecodeIconFile(QByteArrayView File, int Side, QString &ErrString)
{
    MemoryBytes bytes(File);
    return DecodeIconFile(bytes, Side, ErrString);
}

QImage IconImage::GreyCopy(const QImage &Colour)
{
    QImage grey = Colour.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            const int level = qGray(line[x]);
            line[x] = alpha < TransparentBelow ? qRgba(0, 0, 0, 0) : qRgba(level, level, level, alpha);
        }
    }
    return grey;
}
