#include "testicons.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtEndian>

namespace
{
constexpr int IcoHeaderSize = 6;
constexpr int IcoEntrySize = 16;
constexpr int BitmapHeaderSize = 40;
constexpr int PaletteColours = 256;
constexpr quint32 SectionAddress = 0x1000;
constexpr int PeHeaderAt = 0x40;
constexpr int Pe32OptionalSize = 224;
constexpr int Pe32PlusOptionalSize = 240;
constexpr int DirectoryCount = 16;
constexpr quint32 Language = 0x409;
constexpr quint32 IconType = 3;
constexpr quint32 GroupType = 14;
constexpr quint32 Subdirectory = 0x80000000u;

void Put16(QByteArray &Bytes, qsizetype At, quint16 Value)
{
    qToLittleEndian(Value, Bytes.data() + At);
}

void Put32(QByteArray &Bytes, qsizetype At, quint32 Value)
{
    qToLittleEndian(Value, Bytes.data() + At);
}

void Append16(QByteArray &Bytes, quint16 Value)
{
    Bytes.append(2, '\0');
    Put16(Bytes, Bytes.size() - 2, Value);
}

void Append32(QByteArray &Bytes, quint32 Value)
{
    Bytes.append(4, '\0');
    Put32(Bytes, Bytes.size() - 4, Value);
}

QByteArray Bitmap(const TestIcons::Image &Image)
{
    const int side = Image.Side;
    const int rowBytes = (side * Image.Bits + 31) / 32 * 4;
    const int maskBytes = (side + 31) / 32 * 4;
    QByteArray bytes;
    Append32(bytes, BitmapHeaderSize);
    Append32(bytes, side);
    Append32(bytes, 2 * side);
    Append16(bytes, 1);
    Append16(bytes, quint16(Image.Bits));
    Append32(bytes, 0);
    Append32(bytes, quint32((rowBytes + maskBytes) * side));
    bytes.append(16, '\0');
    QByteArray row(rowBytes, '\0');
    if (Image.Bits == 8) {
        for (int i = 0; i < PaletteColours; ++i) {
            const QColor colour = i == 0 ? Image.Colour : QColor(Qt::black);
            bytes.append(char(colour.blue())).append(char(colour.green())).append(char(colour.red())).append('\0');
        }
    } else {
        for (int x = 0; x < side; ++x) {
            row[x * 4] = char(Image.Colour.blue());
            row[x * 4 + 1] = char(Image.Colour.green());
            row[x * 4 + 2] = char(Image.Colour.red());
            row[x * 4 + 3] = char(0xFF);
        }
    }
    for (int y = 0; y < side; ++y) {
        bytes.append(row);
    }
    bytes.append(QByteArray(maskBytes * side, '\0'));
    return bytes;
}

QByteArray Png(const TestIcons::Image &Image)
{
    QImage picture(Image.Side, Image.Side, QImage::Format_ARGB32);
    picture.fill(Image.Colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}
} // namespace

QByteArray TestIcons::Ico(const QList<Image> &Images)
{
    QByteArray header;
    QByteArray data;
    Append16(header, 0);
    Append16(header, 1);
    Append16(header, quint16(Images.size()));
    qsizetype offset = IcoHeaderSize + IcoEntrySize * Images.size();
    for (const Image &image : Images) {
        const QByteArray bytes = image.Bits == 0 ? Png(image) : Bitmap(image);
        header.append(char(image.Side % 256)).append(char(image.Side % 256)).append('\0').append('\0');
        Append16(header, 1);
        Append16(header, quint16(image.Bits == 0 ? 32 : image.Bits));
        Append32(header, quint32(bytes.size()));
        Append32(header, quint32(offset + data.size()));
        data.append(bytes);
    }
    return header + data;
}

QByteArray TestIcons::Executable(const QList<QByteArray> &Groups, bool Wide)
{
    // The images of every group, and each group's entries naming them by identifier.
    QList<QByteArray> images;
    QList<QByteArray> groupData;
    for (const QByteArray &ico : Groups) {
        const int count = qFromLittleEndian<quint16>(ico.constData() + 4);
        QByteArray group;
        Append16(group, 0);
        Append16(group, 1);
        Append16(group, quint16(count));
        for (int i = 0; i < count; ++i) {
            const char *entry = ico.constData() + IcoHeaderSize + i * IcoEntrySize;
            const quint32 size = qFromLittleEndian<quint32>(entry + 8);
            const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
            images.append(ico.mid(offset, size));
            group.append(entry, 8);
            Append32(group, size);
            Append16(group, quint16(images.size()));
        }
        groupData.append(group);
    }
    // The tree: root, the two type directories, one language directory per resource, then the
    // data entries and the data.
    const auto directorySize = [](qsizetype Entries) {
        return 16 + 8 * Entries;
    };
    const qsizetype iconTypeAt = directorySize(2);
    const qsizetype groupTypeAt = iconTypeAt + directorySize(images.size());
    const qsizetype languagesAt = groupTypeAt + directorySize(groupData.size());
    const qsizetype resources = images.size() + groupData.size();
    const qsizetype dataEntriesAt = languagesAt + resources * directorySize(1);
    qsizetype dataAt = dataEntriesAt + resources * 16;
    QByteArray tree(dataAt, '\0');
    const auto directory = [&](qsizetype At, int Ids) {
        Put16(tree, At + 14, quint16(Ids));
    };
    const auto entry = [&](qsizetype Directory, int Index, quint32 Name, quint32 Target) {
        Put32(tree, Directory + 16 + 8 * Index, Name);
        Put32(tree, Directory + 20 + 8 * Index, Target);
    };
    directory(0, 2);
    entry(0, 0, IconType, Subdirectory | quint32(iconTypeAt));
    entry(0, 1, GroupType, Subdirectory | quint32(groupTypeAt));
    directory(iconTypeAt, int(images.size()));
    directory(groupTypeAt, int(groupData.size()));
    QByteArray data;
    QList<QByteArray> all = images + groupData;
    for (qsizetype i = 0; i < resources; ++i) {
        const bool isIcon = i < images.size();
        const qsizetype type = isIcon ? iconTypeAt : groupTypeAt;
        const int index = int(isIcon ? i : i - images.size());
        const qsizetype language = languagesAt + i * directorySize(1);
        entry(type, index, quint32(index + 1), Subdirectory | quint32(language));
        directory(language, 1);
        entry(language, 0, Language, quint32(dataEntriesAt + i * 16));
        Put32(tree, dataEntriesAt + i * 16, SectionAddress + quint32(dataAt + data.size()));
        Put32(tree, dataEntriesAt + i * 16 + 4, quint32(all.at(i).size()));
        data.append(all.at(i));
    }
    const QByteArray section = tree + data;

    const int optionalSize = Wide ? Pe32PlusOptionalSize : Pe32OptionalSize;
    QByteArray file(TestIcons::ResourceOffset, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, PeHeaderAt);
    file.replace(PeHeaderAt, 4, QByteArray("PE\0\0", 4));
    const int coff = PeHeaderAt + 4;
    Put16(file, coff, Wide ? 0x8664 : 0x14C);
    Put16(file, coff + 2, 1);
    Put16(file, coff + 16, quint16(optionalSize));
    const int optional = coff + 20;
    Put16(file, optional, Wide ? 0x20B : 0x10B);
    const int directories = optional + (Wide ? 112 : 96);
    Put32(file, directories - 4, DirectoryCount);
    Put32(file, directories + 2 * 8, SectionAddress);
    Put32(file, directories + 2 * 8 + 4, quint32(section.size()));
    const int sectionHeader = optional + optionalSize;
    file.replace(sectionHeader, 6, QByteArray(".rsrc\0", 6));
    Put32(file, sectionHeader + 8, quint32(section.size()));
    Put32(file, sectionHeader + 12, SectionAddress);
    Put32(file, sectionHeader + 16, quint32(section.size()));
    Put32(file, sectionHeader + 20, TestIcons::ResourceOffset);
    return file + section;
}

QByteArray TestIcons::CraftedExecutable(int GroupEntries, int LanguageEntries, int Sections, int Images)
{
    constexpr qsizetype optional = PeHeaderAt + 24;
    constexpr qsizetype table = optional + Pe32OptionalSize;
    constexpr qsizetype directory = 16;
    constexpr qsizetype directoryEntry = 8;
    constexpr qsizetype dataEntry = 16;
    // Relative to the resources: root, the group's type and language, both data entries, the icon,
    // the group, the icons' type, then each icon's language directory.
    constexpr qsizetype groupTypeAt = directory + 2 * directoryEntry;
    constexpr qsizetype groupLanguageAt = groupTypeAt + directory + directoryEntry;
    constexpr qsizetype iconEntryAt = groupLanguageAt + directory + directoryEntry;
    constexpr qsizetype groupEntryAt = iconEntryAt + dataEntry;
    constexpr qsizetype iconAt = groupEntryAt + dataEntry;
    const QByteArray icon = Png({1, Qt::red, 0});
    const qsizetype groupAt = (iconAt + icon.size() + 3) / 4 * 4;
    const qsizetype groupSize = 6 + 14 * qsizetype(GroupEntries);
    const qsizetype iconTypeAt = (groupAt + groupSize + 3) / 4 * 4;
    const qsizetype languagesAt = iconTypeAt + directory + directoryEntry * Images;
    const qsizetype languageSize = directory + directoryEntry * qsizetype(LanguageEntries);
    QByteArray tree(languagesAt + languageSize * Images, '\0');
    const auto entry = [&](qsizetype Directory, qsizetype Index, quint32 Name, quint32 Target) {
        Put32(tree, Directory + directory + directoryEntry * Index, Name);
        Put32(tree, Directory + directory + directoryEntry * Index + 4, Target);
    };
    Put16(tree, 14, 2);
    entry(0, 0, IconType, Subdirectory | quint32(iconTypeAt));
    entry(0, 1, GroupType, Subdirectory | quint32(groupTypeAt));
    Put16(tree, groupTypeAt + 14, 1);
    entry(groupTypeAt, 0, 1, Subdirectory | quint32(groupLanguageAt));
    Put16(tree, groupLanguageAt + 14, 1);
    entry(groupLanguageAt, 0, Language, quint32(groupEntryAt));
    Put32(tree, iconEntryAt, SectionAddress + quint32(iconAt));
    Put32(tree, iconEntryAt + 4, quint32(icon.size()));
    Put32(tree, groupEntryAt, SectionAddress + quint32(groupAt));
    Put32(tree, groupEntryAt + 4, quint32(groupSize));
    tree.replace(iconAt, icon.size(), icon);
    Put16(tree, groupAt + 2, 1);
    Put16(tree, groupAt + 4, quint16(GroupEntries));
    for (qsizetype i = 0; i < GroupEntries; ++i) {
        const qsizetype at = groupAt + 6 + 14 * i;
        tree[at] = tree[at + 1] = 1;
        Put16(tree, at + 4, 1);
        Put16(tree, at + 6, 32);
        Put32(tree, at + 8, quint32(icon.size()));
        Put16(tree, at + 12, quint16(i % Images + 1));
    }
    Put16(tree, iconTypeAt + 14, quint16(Images));
    // Each language directory's count is split between named and numbered entries, each at most
    // 65,535; its first entry is the one icon's data.
    const int named = LanguageEntries / 2;
    for (qsizetype i = 0; i < Images; ++i) {
        const qsizetype language = languagesAt + languageSize * i;
        entry(iconTypeAt, i, quint32(i + 1), Subdirectory | quint32(language));
        Put16(tree, language + 12, quint16(named));
        Put16(tree, language + 14, quint16(LanguageEntries - named));
        entry(language, 0, Language, quint32(iconEntryAt));
    }

    const qsizetype resources = (table + 40 * qsizetype(Sections) + 15) / 16 * 16;
    QByteArray file(resources, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, PeHeaderAt);
    file.replace(PeHeaderAt, 4, QByteArray("PE\0\0", 4));
    Put16(file, PeHeaderAt + 4, 0x14C);
    Put16(file, PeHeaderAt + 6, quint16(Sections));
    Put16(file, PeHeaderAt + 20, Pe32OptionalSize);
    Put16(file, optional, 0x10B);
    Put32(file, optional + 92, DirectoryCount);
    Put32(file, optional + 96 + 2 * 8, SectionAddress);
    Put32(file, optional + 96 + 2 * 8 + 4, quint32(tree.size()));
    // Sections far above the resources, each a page of the headers, before the resources' own.
    constexpr quint32 farAddress = 0x10000000u;
    constexpr quint32 page = 0x1000;
    for (qsizetype i = 0; i < Sections; ++i) {
        const qsizetype header = table + 40 * i;
        const bool last = i == Sections - 1;
        const quint32 size = last ? quint32(tree.size()) : page;
        Put32(file, header + 8, size);
        Put32(file, header + 12, last ? SectionAddress : farAddress + quint32(i) * page);
        Put32(file, header + 16, size);
        Put32(file, header + 20, last ? quint32(resources) : 0);
    }
    return file + tree;
}

bool TestIcons::WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    return file.open(QIODevice::WriteOnly) && file.write(Bytes) == Bytes.size();
}
